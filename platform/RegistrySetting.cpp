#include "platform/RegistrySetting.h"

#include <vector>

#include "platform/WideText.h"

namespace {

std::optional<std::wstring> ReadText(HKEY root, DWORD& type) {
    DWORD size = 0;
    constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    if (RegGetValueW(root, kSettingsKey, kRuleFolderSetting.name, kFlags, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(root, kSettingsKey, kRuleFolderSetting.name, kFlags, &type, buffer.data(),
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer.data());
}

std::wstring Expanded(const std::wstring& text) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::vector<wchar_t> buffer(needed);
    if (ExpandEnvironmentStringsW(text.c_str(), buffer.data(), needed) == 0) return text;
    return std::wstring(buffer.data());
}

}  // namespace

std::optional<std::u16string> RuleFolderValue(HKEY root) {
    DWORD type = REG_NONE;
    const std::optional<std::wstring> text = ReadText(root, type);
    if (!text) return std::nullopt;
    return ToU16(type == REG_EXPAND_SZ ? Expanded(*text) : *text);
}

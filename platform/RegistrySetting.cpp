#include "platform/RegistrySetting.h"

#include <vector>

#include "platform/WideText.h"

namespace {

// The text of a value of the types in `flags`, not expanded; nothing when it cannot be read.
std::optional<std::wstring> ReadText(HKEY root, const wchar_t* name,
                                     DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ) {
    flags |= RRF_NOEXPAND;
    DWORD size = 0;
    if (RegGetValueW(root, kSettingsKey, name, flags, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(root, kSettingsKey, name, flags, nullptr, buffer.data(), &size) !=
        ERROR_SUCCESS) {
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

std::optional<RegistryValue> RuleFolderValueIn(HKEY root) {
    RegistryValue value;
    if (RegGetValueW(root, kSettingsKey, kRuleFolderSetting.name, RRF_RT_ANY | RRF_NOEXPAND,
                     &value.type, nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return value;
    // A text that cannot be read (it changed meanwhile) counts as an empty one: it is told.
    const std::wstring text = ReadText(root, kRuleFolderSetting.name).value_or(std::wstring());
    value.text = ToU16(text);
    value.expanded = ToU16(value.type == REG_EXPAND_SZ ? Expanded(text) : text);
    return value;
}

std::optional<std::u16string> SettingTextIn(HKEY root, const wchar_t* name) {
    const std::optional<std::wstring> text = ReadText(root, name, RRF_RT_REG_SZ);
    if (!text) return std::nullopt;
    return ToU16(*text);
}

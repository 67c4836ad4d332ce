#include "settings/Registry_win.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/Handles_win.h"
#include "platform/WideText_win.h"

namespace {

HKEY RootKey(SettingRoot root) {
    return root == SettingRoot::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

const std::wstring& Key(SettingRoot root = SettingRoot::User) {
    static const std::wstring key = ToWide(kSettingsKey);
    static const std::wstring policyKey = ToWide(kPolicyKey);
    return root == SettingRoot::Policy ? policyKey : key;
}

std::wstring NameOf(const Setting& setting) {
    return ToWide(setting.name);
}

// The text of a REG_SZ or REG_EXPAND_SZ value, not expanded.
SystemResult<std::wstring> ReadText(SettingRoot root, const std::wstring& name) {
    constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    const HKEY hive = RootKey(root);
    const wchar_t* key = Key(root).c_str();
    DWORD size = 0;
    LSTATUS status = RegGetValueW(hive, key, name.c_str(), kFlags, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return SystemResult<std::wstring>::Failure(status);
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    status = RegGetValueW(hive, key, name.c_str(), kFlags, nullptr, buffer.data(), &size);
    if (status != ERROR_SUCCESS) return SystemResult<std::wstring>::Failure(status);
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

SystemResult<SettingValue> ReadSettingValue(SettingRoot root, const Setting& setting) {
    const std::wstring name = NameOf(setting);
    SettingValue value;
    DWORD type = REG_NONE;
    const LSTATUS status = RegGetValueW(RootKey(root), Key(root).c_str(), name.c_str(),
                                        RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return SystemResult<SettingValue>::Failure(status);
    value.type = type;
    if (!value.IsText()) return value;
    const std::wstring text = ReadText(root, name).value_or(std::wstring());
    value.text = ToU16(text);
    value.expanded = ToU16(type == REG_EXPAND_SZ ? Expanded(text) : text);
    return value;
}

SettingValues ReadSettingValues(const Setting& setting) {
    const auto valueIn = [&](SettingRoot root) -> std::optional<SettingValue> {
        SystemResult<SettingValue> value = ReadSettingValue(root, setting);
        if (!value) return std::nullopt;
        return *std::move(value);
    };
    return {valueIn(SettingRoot::Machine), valueIn(SettingRoot::User),
            valueIn(SettingRoot::Policy)};
}

SystemResult<std::u16string> ReadRememberedText(const Setting& setting) {
    UniqueHKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, Key().c_str(), 0, KEY_READ, key.put());
    if (status != ERROR_SUCCESS) return SystemResult<std::u16string>::Failure(status);
    std::array<unsigned char, kRememberedValueMaxBytes + 1> buffer{};
    DWORD type = 0;
    DWORD size = kRememberedValueMaxBytes;
    status =
        RegQueryValueExW(key.get(), NameOf(setting).c_str(), nullptr, &type, buffer.data(), &size);
    if (status != ERROR_SUCCESS) return SystemResult<std::u16string>::Failure(status);
    // The stored type is not checked, and the data need not end in a null within the bytes
    // read: only what was read is decoded.
    return DecodeRegistryText(
        std::span(buffer.data(), std::min<size_t>(size, kRememberedValueMaxBytes)));
}

SystemResult<void> RememberText(const Setting& setting, std::u16string_view text) {
    UniqueHKey key;
    LSTATUS status =
        RegCreateKeyExW(HKEY_CURRENT_USER, Key().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return SystemResult<void>::Failure(status);
    const std::wstring data = ToWide(text);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), NameOf(setting).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    return status == ERROR_SUCCESS ? SystemResult<void>::Done()
                                   : SystemResult<void>::Failure(status);
}

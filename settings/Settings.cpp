#include "settings/Settings.h"

#include <iterator>

bool SettingValue::IsText() const {
    return type == static_cast<uint32_t>(RegistryType::Text) ||
           type == static_cast<uint32_t>(RegistryType::ExpandableText);
}

std::optional<SettingRoot> DecidingRoot(const SettingValues& values) {
    if (values.machine) return SettingRoot::Machine;
    if (values.user) return SettingRoot::User;
    return std::nullopt;
}

bool IsSwitchedOn(const Setting& setting, const SettingValues& values) {
    const std::optional<SettingRoot> root = DecidingRoot(values);
    std::u16string_view text = setting.defaultText;
    if (root) {
        const SettingValue& value = *root == SettingRoot::Machine ? *values.machine : *values.user;
        if (value.IsText() && (value.text == u"1" || value.text == u"0")) text = value.text;
    }
    return text == u"1";
}

std::u16string SettingFullName(SettingRoot root, const Setting& setting) {
    return std::u16string(root == SettingRoot::Machine ? u"HKLM\\" : u"HKCU\\") + kSettingsKey +
           u"\\" + std::u16string(setting.name);
}

std::u16string DecodeRegistryText(std::span<const unsigned char> bytes) {
    std::u16string text;
    // An odd last byte is half a code unit and is dropped.
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == u'\0') break;
        text.push_back(unit);
    }
    return text;
}

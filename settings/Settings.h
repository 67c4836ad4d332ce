// The product's settings, described once: the registry key that holds them, each value's
// name, type and default, and whose value decides. The Win32 side (settings/Registry_win.h)
// reads and writes them; rules/RuleFolder.h turns the RuleFolder values into the rule file's
// place. The installer's and the policy template's tests read the machine settings from here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Registry types of a value, as the registry numbers them.
enum class RegistryType : uint32_t {
    None = 0,
    Text = 1,            // REG_SZ
    ExpandableText = 2,  // REG_EXPAND_SZ
};

// The key of the product's settings, under HKEY_LOCAL_MACHINE and under HKEY_CURRENT_USER.
inline constexpr char16_t kSettingsKey[] = u"SOFTWARE\\Ferrimount\\KEP\\Quillet";

enum class SettingRoot : uint8_t { Machine, User };

// Who may set a value: an administrator for the whole computer, whose value decides over
// the user's, or only the user.
enum class SettingScope : uint8_t { MachineOverUser, UserOnly };

struct Setting {
    std::u16string_view name;
    RegistryType type;  // as the installer and the policy template write it
    std::u16string_view defaultText;
    SettingScope scope;
};

// Machine settings, one line each as tests/release/machine-settings.sh reads them.
// clang-format off
// The folder of the rule file; also taken as REG_SZ. Without it the rule file is beside the
// module.
inline constexpr Setting kRuleFolderSetting{u"RuleFolder", RegistryType::ExpandableText, u"", SettingScope::MachineOverUser};
// "1" or "0": whether event 0 shows what it would change before it changes anything.
inline constexpr Setting kPreviewBeforeRewriteSetting{u"PreviewBeforeRewrite", RegistryType::Text, u"0", SettingScope::MachineOverUser};
// clang-format on

// The rule editor's values remembered for the next new rule, in rule file field order (the
// flag, the code range, the diameter range, the new diameter). Stored as REG_SZ; a value
// whose data is longer than kRememberedValueMaxBytes counts as missing.
inline constexpr std::array<Setting, 6> kRememberedEditorValues{{
    {u"isDisplay", RegistryType::Text, u"1", SettingScope::UserOnly},
    {u"CodeFrom", RegistryType::Text, u"101", SettingScope::UserOnly},
    {u"CodeTo", RegistryType::Text, u"199", SettingScope::UserOnly},
    {u"DiameterFrom", RegistryType::Text, u"8.1", SettingScope::UserOnly},
    {u"DiameterTo", RegistryType::Text, u"8.99", SettingScope::UserOnly},
    {u"DiameterModify", RegistryType::Text, u"8.5", SettingScope::UserOnly},
}};
inline constexpr size_t kRememberedValueMaxBytes = 255;

// A value as the registry holds it: its type, and for the text types its text, also with
// environment variables expanded (REG_EXPAND_SZ; for REG_SZ the text itself). A variable
// that is not defined stays as it is written, as the system leaves it.
struct SettingValue {
    uint32_t type = static_cast<uint32_t>(RegistryType::Text);
    std::u16string text;
    std::u16string expanded;

    static SettingValue Text(std::u16string text) {
        return {static_cast<uint32_t>(RegistryType::Text), text, text};
    }
    bool IsText() const;
};

// A machine setting's values under both roots; nothing where there is no value.
struct SettingValues {
    std::optional<SettingValue> machine;
    std::optional<SettingValue> user;
};

// The machine's value decides over the user's, whatever it holds; nothing when neither is
// there.
std::optional<SettingRoot> DecidingRoot(const SettingValues& values);

// A switch such as PreviewBeforeRewrite: on when the deciding value is the text "1", off
// for "0"; without a value, or with one that is neither, the setting's default decides.
bool IsSwitchedOn(const Setting& setting, const SettingValues& values);

// "HKLM\SOFTWARE\Ferrimount\KEP\Quillet\RuleFolder".
std::u16string SettingFullName(SettingRoot root, const Setting& setting);

// The text in registry data as read: the whole UTF-16LE code units among the bytes, up to
// the first null unit or the end of the bytes.
std::u16string DecodeRegistryText(std::span<const unsigned char> bytes);

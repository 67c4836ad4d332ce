// The product's settings, described once: the registry key that holds them, each value's
// name, type and default, and whose value decides. The Win32 side (settings/Registry_win.h)
// reads and writes them. The RuleFolder values and the module's folder give the rule file's
// place (ChooseRuleLocation). The installer's and the policy template's tests read the machine
// settings from here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/FilePort.h"

// Registry types of a value, as the registry numbers them.
enum class RegistryType : uint32_t {
    None = 0,
    Text = 1,            // REG_SZ
    ExpandableText = 2,  // REG_EXPAND_SZ
};

// The key of the product's settings, under HKEY_LOCAL_MACHINE and under HKEY_CURRENT_USER.
inline constexpr char16_t kSettingsKey[] = u"SOFTWARE\\Ferrimount\\KEP\\Quillet";
// The same key under the policy keys of HKEY_LOCAL_MACHINE, where Group Policy and device
// management write the machine settings: a value there goes when the policy no longer
// applies.
inline constexpr char16_t kPolicyKey[] = u"SOFTWARE\\Policies\\Ferrimount\\KEP\\Quillet";

// Where a value is, in the order in which they decide: a policy, the machine's own key, the
// user's.
enum class SettingRoot : uint8_t { Policy, Machine, User };

// Who may set a value: an administrator for the whole computer (by policy or in the machine's
// key), whose value decides over the user's, or only the user.
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

// A machine setting's values under the three roots; nothing where there is no value. The
// policy's comes last so that {machine, user} still reads as before.
struct SettingValues {
    std::optional<SettingValue> machine;
    std::optional<SettingValue> user;
    std::optional<SettingValue> policy = std::nullopt;

    const std::optional<SettingValue>& In(SettingRoot root) const;
};

// The policy's value decides over the machine's, which decides over the user's, whatever it
// holds; nothing when none is there.
std::optional<SettingRoot> DecidingRoot(const SettingValues& values);
// Decided for every user of the computer (by policy or by the machine's key): the user's own
// choice is shown but cannot be changed.
bool DecidedForEveryone(const SettingValues& values);

// A switch such as PreviewBeforeRewrite: on when the deciding value is the text "1", off
// for "0"; without a value, or with one that is neither, the setting's default decides.
bool IsSwitchedOn(const Setting& setting, const SettingValues& values);

// The key of a root's values, without the hive.
std::u16string_view SettingKeyOf(SettingRoot root);
// "HKLM\SOFTWARE\Ferrimount\KEP\Quillet\RuleFolder",
// "HKLM\SOFTWARE\Policies\Ferrimount\KEP\Quillet\RuleFolder", ...
std::u16string SettingFullName(SettingRoot root, const Setting& setting);

// The text in registry data as read: the whole UTF-16LE code units among the bytes, up to
// the first null unit or the end of the bytes.
std::u16string DecodeRegistryText(std::span<const unsigned char> bytes);

// ---- Where the rule file is ----
// In a folder the seat's administrator or its user names in the registry (a shared folder,
// so that every seat of a shop uses one table), or else beside the module.

inline constexpr char16_t kRuleFileName[] = u"Quillet.def";

enum class RuleFolderSource : uint8_t {
    Policy,        // the value under the policy key
    Machine,       // the value under the machine's key
    User,          // the value under the user's key
    ModuleFolder,  // no value: the module's own folder
};

// A "RuleFolder" value as the registry holds it, and both roots' values.
using RuleFolderValue = SettingValue;
using RuleFolderValues = SettingValues;

// Why a value cannot name the rule folder.
enum class RuleFolderFault : uint8_t {
    None,
    NotText,             // another registry type (REG_DWORD, REG_MULTI_SZ, ...)
    Empty,               // empty, blank, or only quotes or backslashes
    Relative,            // "cam", "C:cam", "\cam": it would depend on the host's current folder
    UnexpandedVariable,  // a %NAME% left in it: not defined, or a REG_SZ value
};

struct RuleLocation {
    RuleFolderSource source = RuleFolderSource::ModuleFolder;
    std::u16string folder;  // without a final backslash, except for a drive's root
    FilePath file;          // the rule file in that folder; empty when the value cannot be used
    RuleFolderFault fault = RuleFolderFault::None;
    RuleFolderValue value;    // the value that chose the folder, as the registry holds it
    std::u16string variable;  // UnexpandedVariable: the first "%NAME%" left

    // Named in the registry, and so possibly on a share that can be out of reach.
    bool configured() const { return source != RuleFolderSource::ModuleFolder; }
    // A value that cannot be used is a folder out of reach, never "no setting".
    bool usable() const { return fault == RuleFolderFault::None; }
};

// What a RuleFolder text names once its variables are expanded: the folder (trimmed, final
// separators dropped), or why it cannot name one. The installer checks its RULEFOLDER so too.
struct RuleFolderCheck {
    std::u16string folder;
    RuleFolderFault fault = RuleFolderFault::None;
    std::u16string variable;  // UnexpandedVariable: the first "%NAME%" left
};
RuleFolderCheck CheckRuleFolder(std::u16string_view expanded);

// The deciding value (DecidingRoot) wins over the module's folder; a value that is there wins
// whatever it holds, also when it cannot be used.
RuleLocation ChooseRuleLocation(const RuleFolderValues& values, std::u16string_view moduleFolder);

// The root a configured location's value is under; Machine for the module's folder.
SettingRoot RootOf(RuleFolderSource source);
// "HKLM\SOFTWARE\Ferrimount\KEP\Quillet\RuleFolder" for a configured location.
std::u16string RuleFolderSettingName(RuleFolderSource source);

// "<folder>\<name>", with one backslash between them also when the folder ends in one (a
// drive's root).
FilePath PathInFolder(std::u16string_view folder, std::u16string_view name);

// ---- Where a seat keeps its files ----

// This user's own folder of the product, under the user's local application data folder:
// the copies of rule folders' files and the seat's own journal.
inline constexpr char16_t kSeatFolderName[] = u"Quillet";

// Where a program of this seat finds the rule file and this user's own files, as the settings
// and the system tell it at one moment.
struct SeatPlaces {
    RuleFolderValues values;  // the RuleFolder values under both roots, as the registry holds them
    RuleLocation location;    // ChooseRuleLocation(values, moduleFolder)
    FilePath moduleFolder;    // the module's own folder
    FilePath ownFolder;  // this user's own folder of the product; empty when the system cannot tell
};

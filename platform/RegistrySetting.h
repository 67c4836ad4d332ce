// The module's settings in the registry that are read outside its dialogs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The key of the module's settings, under HKEY_LOCAL_MACHINE and under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Ferrimount\\KEP\\Quillet";

// A value under that key which an administrator may set for the whole computer, and the
// registry type in which the installer and the policy template write it.
struct MachineSetting {
    const wchar_t* name;
    DWORD type;
};

// The folder of the rule file; the module also takes it as REG_SZ.
inline constexpr MachineSetting kRuleFolderSetting{L"RuleFolder", REG_EXPAND_SZ};
// "1" or "0": whether event 0 shows what it would change before it changes anything.
inline constexpr MachineSetting kPreviewBeforeRewriteSetting{L"PreviewBeforeRewrite", REG_SZ};

// A value as the registry holds it: its type, and for the text types its text, also with
// environment variables expanded (REG_EXPAND_SZ; for REG_SZ the text itself). A variable
// that is not defined stays as it is written, as the system leaves it.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::u16string text;
    std::u16string expanded;
};

// The "RuleFolder" value under the given root's settings key, of whatever type; nullopt
// when there is none.
std::optional<RegistryValue> RuleFolderValueIn(HKEY root);

// The text of a REG_SZ value under the given root's settings key; nullopt when there is no
// such value or it is of another type.
std::optional<std::u16string> SettingTextIn(HKEY root, const wchar_t* name);

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

// The "RuleFolder" value under the given root's settings key, environment variables
// expanded; nullopt when there is none or it is not text (REG_SZ or REG_EXPAND_SZ).
std::optional<std::u16string> RuleFolderValue(HKEY root);

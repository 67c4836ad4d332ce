// The module's settings in the registry that are read outside its dialogs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The key of the module's settings, under HKEY_LOCAL_MACHINE and under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Ferrimount\\KEP\\Quillet";

// The "RuleFolder" value under the given root's settings key, environment variables
// expanded; nullopt when there is none or it is not text (REG_SZ or REG_EXPAND_SZ).
std::optional<std::u16string> RuleFolderValue(HKEY root);

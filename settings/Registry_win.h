// The product's settings in the Win32 registry, under kSettingsKey of HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER: the one module of the product that calls the registry API.
#pragma once

#include <string>
#include <string_view>

#include "platform/SystemResult.h"
#include "settings/Settings.h"

// The value of whatever type, its text read as stored and expanded; ERROR_FILE_NOT_FOUND
// when there is none. A text that cannot be read (it changed meanwhile) reads as empty.
SystemResult<SettingValue> ReadSettingValue(SettingRoot root, const Setting& setting);
// The three roots' values, read at each call so that a changed setting takes effect at once; a
// value that is not there, or cannot be looked at, is nothing.
SettingValues ReadSettingValues(const Setting& setting);

// The user's remembered text: at most kRememberedValueMaxBytes of data, of any stored type,
// decoded by DecodeRegistryText; a longer value fails as ERROR_MORE_DATA.
SystemResult<std::u16string> ReadRememberedText(const Setting& setting);
// Writes the user's value as REG_SZ, creating the key when it is missing.
SystemResult<void> RememberText(const Setting& setting, std::u16string_view text);

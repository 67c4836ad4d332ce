// The rule editor's values in the current user's registry. Key paths are relative to
// HKEY_CURRENT_USER; a "/" in them counts as "\".
#pragma once

#include <string>
#include <string_view>

// 0 with `text` set, or -1 on any failure with `text` unchanged. Data longer than
// kEditorValueMaxBytes counts as missing.
int RegReadText(std::u16string_view keyPath, std::u16string_view valueName, std::u16string& text);

// Writes a REG_SZ value, creating missing keys along the path. 0 on success, else -1.
int RegWriteText(std::u16string_view keyPath, std::u16string_view valueName,
                 std::u16string_view text);

// RegWriteText under MakeKeyPath(subKeyName); true when it gave 0.
bool WriteSetting(std::u16string_view subKeyName, std::u16string_view valueName,
                  std::u16string_view text);

// The rule editor's remembered values: the registry key that holds them, their names and
// defaults, their stored texts, and the decoding of the bytes read back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "rules/RuleTable.h"

inline constexpr char16_t kEditorKeyPrefix[] = u"SOFTWARE\\Ferrimount\\KEP\\";
inline constexpr char16_t kEditorSubKeyName[] = u"Quillet";

// A value whose data is longer than this counts as missing; the read buffer has one byte
// more than this, as the value is queried with this size.
inline constexpr size_t kEditorValueMaxBytes = 255;

struct EditorValueRow {
    std::u16string_view name;
    std::u16string_view defaultText;
};

// In the order in which the values are read and written.
inline constexpr std::array<EditorValueRow, 6> kEditorValueRows{{
    {u"isDisplay", u"1"},
    {u"CodeFrom", u"101"},
    {u"CodeTo", u"199"},
    {u"DiameterFrom", u"8.1"},
    {u"DiameterTo", u"8.99"},
    {u"DiameterModify", u"8.5"},
}};

std::u16string MakeKeyPath(std::u16string_view subKeyName);

// The text stored for row `row` of kEditorValueRows, and the reverse. The flag is stored as
// "1" or "0"; only the exact text "1" reads back as enabled.
std::u16string StoredText(const HoleRule& values, size_t row);
void TakeStoredText(HoleRule& values, size_t row, std::u16string_view text);

// The values an editor for a new rule starts from when nothing is remembered.
HoleRule DefaultEditorValues();

// The text in registry data as read: the whole UTF-16LE code units among the bytes, up to
// the first null unit or the end of the bytes.
std::u16string DecodeRegistryText(std::span<const unsigned char> bytes);

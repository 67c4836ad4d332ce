// The rule editor's remembered values: the registry key that holds them, their names and
// defaults, their stored texts, and the decoding of the bytes read back; and what the
// editor refuses to take on 적용.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "rules/RuleFields.h"
#include "rules/RuleTable.h"

inline constexpr char16_t kEditorKeyPrefix[] = u"SOFTWARE\\Ferrimount\\KEP\\";
inline constexpr char16_t kEditorSubKeyName[] = u"Quillet";

// A value whose data is longer than this counts as missing; the read buffer has one byte
// more than this, as the value is queried with this size.
inline constexpr size_t kEditorValueMaxBytes = 255;

// The editor's side of a rule field: the registry value that remembers it, the text it takes
// when nothing is remembered, and its name in the editor's messages (none for the flag).
struct EditorValueRow {
    RuleField field;
    std::u16string_view name;
    std::u16string_view defaultText;
    std::u16string_view label;
};

// In the order of kRuleFields, which is the order in which the values are read and written
// and in which 적용 checks the texts (as they stand on screen).
inline constexpr std::array<EditorValueRow, kRuleFieldCount> kEditorValueRows{{
    {RuleField::Enabled, u"isDisplay", u"1", u""},
    {RuleField::CodeFrom, u"CodeFrom", u"101", u"가공코드 시작 값"},
    {RuleField::CodeTo, u"CodeTo", u"199", u"가공코드 끝 값"},
    {RuleField::DiameterFrom, u"DiameterFrom", u"8.1", u"구멍경(대상) 시작 값"},
    {RuleField::DiameterTo, u"DiameterTo", u"8.99", u"구멍경(대상) 끝 값"},
    {RuleField::DiameterModify, u"DiameterModify", u"8.5", u"구멍경(수정)"},
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

// The field 적용 refuses: one of the five texts.
using EditorField = RuleField;

struct EditorRefusal {
    EditorField field;
    std::u16string message;  // Korean; names the field and the text as typed
};

// What 적용 refuses, for the first field in EditorField order that has a fault, as the rule
// file's reader judges the texts (rules/RuleText.h, rules/CompiledRules.h): a range field
// that is not blank and does not read entirely as a number (a code as an integer, a diameter
// as a decimal number with a point; white space before and after aside), and a new diameter
// that is not one number or that the rewrite would not put in force (blank, not from 0.0001
// to 100000).
// A blank "to" field is the single-value form and is taken, as is a blank "from" field.
// Nothing when every value is taken.
std::optional<EditorRefusal> CheckEditorValues(const HoleRule& values);

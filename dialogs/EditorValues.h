// The rule editor's remembered values: which setting remembers each field
// (settings/Settings.h names them and their defaults), their stored texts; and what the
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
#include "settings/Settings.h"

// The editor's side of a rule field: the setting that remembers it (its registry value and
// the text it takes when nothing is remembered), and its name in the editor's messages (none
// for the flag).
struct EditorValueRow {
    RuleField field;
    const Setting& setting;
    std::u16string_view label;
};

// In the order of kRuleFields, which is the order in which the values are read and written
// and in which 적용 checks the texts (as they stand on screen).
inline constexpr std::array<EditorValueRow, kRuleFieldCount> kEditorValueRows{{
    {RuleField::Enabled, kRememberedEditorValues[0], u""},
    {RuleField::CodeFrom, kRememberedEditorValues[1], u"가공코드 시작 값"},
    {RuleField::CodeTo, kRememberedEditorValues[2], u"가공코드 끝 값"},
    {RuleField::DiameterFrom, kRememberedEditorValues[3], u"구멍경(대상) 시작 값"},
    {RuleField::DiameterTo, kRememberedEditorValues[4], u"구멍경(대상) 끝 값"},
    {RuleField::DiameterModify, kRememberedEditorValues[5], u"구멍경(수정)"},
}};

// The text stored for row `row` of kEditorValueRows, and the reverse. The flag is stored as
// "1" or "0"; only the exact text "1" reads back as enabled.
std::u16string StoredText(const HoleRule& values, size_t row);
void TakeStoredText(HoleRule& values, size_t row, std::u16string_view text);

// The values an editor for a new rule starts from when nothing is remembered.
HoleRule DefaultEditorValues();

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

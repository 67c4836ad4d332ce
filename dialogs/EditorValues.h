// The rule editor's remembered values as stored texts (dialogs/DialogFields.h names the
// setting that remembers each field); and what the editor refuses to take on 적용.
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

// The text stored for row `row` of kDialogFields, and the reverse. The flag is stored as
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

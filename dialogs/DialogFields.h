// The rule fields as the two dialogs show them, one row per field: its name in the editor's
// refusals, its control in "Master Setting", its column in "Hole Diameter" with that
// column's header and width, and the registry value that remembers it for the editor's
// next new rule (settings/Settings.h, which also holds the value's default).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "dialogs/resource.h"
#include "rules/RuleFields.h"
#include "settings/Settings.h"
#include "texts/ModuleTexts.h"

struct DialogField {
    RuleField field;
    std::u16string_view label;  // none for the flag, which the editor never refuses
    int editorControl;
    // The flag is the check box of column 0; a From field and its To field share a column,
    // which shows them as a range (RuleListColumnText).
    int listColumn;
    std::u16string_view listHeader;
    int listWidth;  // in pixels at 100 % display scaling
    const Setting& remembered;

    std::u16string_view defaultText() const { return remembered.defaultText; }
};

// In the order of kRuleFields, which is the order in which the remembered values are read
// and written and in which 적용 checks the texts.
inline constexpr std::array<DialogField, kRuleFieldCount> kDialogFields{{
    {RuleField::Enabled, u"", IDC_ENABLED, 0, texts::kEnabledColumn, 40,
     kRememberedEditorValues[0]},
    {RuleField::CodeFrom, texts::kCodeFromField, IDC_CODE_FROM, 1, texts::kCodeColumn, 100,
     kRememberedEditorValues[1]},
    {RuleField::CodeTo, texts::kCodeToField, IDC_CODE_TO, 1, texts::kCodeColumn, 100,
     kRememberedEditorValues[2]},
    {RuleField::DiameterFrom, texts::kDiameterFromField, IDC_DIAMETER_FROM, 2,
     texts::kDiameterColumn, 100, kRememberedEditorValues[3]},
    {RuleField::DiameterTo, texts::kDiameterToField, IDC_DIAMETER_TO, 2, texts::kDiameterColumn,
     100, kRememberedEditorValues[4]},
    {RuleField::DiameterModify, texts::kNewDiameterField, IDC_DIAMETER_MODIFY, 3,
     texts::kNewDiameterColumn, 100, kRememberedEditorValues[5]},
}};

// The list's columns: 0 for the flag, then kRuleListTextColumns columns of texts.
inline constexpr int kRuleListColumns = kDialogFields.back().listColumn + 1;
inline constexpr int kRuleListTextColumns = kRuleListColumns - 1;

// The row of a rule field.
inline constexpr const DialogField& DialogFieldOf(RuleField field) {
    return kDialogFields[static_cast<size_t>(field)];
}

// The first row shown in list column `column`, which gives the column its header and width.
inline constexpr const DialogField& FirstFieldOfColumn(int column) {
    for (const DialogField& row : kDialogFields) {
        if (row.listColumn == column) return row;
    }
    return kDialogFields.front();
}

namespace dialog_fields_checks {

// Row r is rule field r and remembered value r; the columns count up from 0 without a gap,
// and the rows of one column agree on its header and width.
constexpr bool RowsAreConsistent() {
    for (size_t row = 0; row < kDialogFields.size(); ++row) {
        const DialogField& field = kDialogFields[row];
        if (field.field != kRuleFields[row].field) return false;
        if (&field.remembered != &kRememberedEditorValues[row]) return false;
        if (row == 0 ? field.listColumn != 0
                     : field.listColumn != kDialogFields[row - 1].listColumn &&
                           field.listColumn != kDialogFields[row - 1].listColumn + 1) {
            return false;
        }
        const DialogField& first = FirstFieldOfColumn(field.listColumn);
        if (first.listHeader != field.listHeader || first.listWidth != field.listWidth) {
            return false;
        }
    }
    return true;
}
static_assert(RowsAreConsistent());

}  // namespace dialog_fields_checks

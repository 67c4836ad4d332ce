#include "dialogs/RuleEditorDialog.h"

#include "dialogs/EditorRegistry.h"
#include "dialogs/EditorValues.h"
#include "dialogs/resource.h"
#include "dialogs/ModuleMessages.h"
#include "platform/WideText.h"

namespace {

int ControlOf(EditorField field) {
    switch (field) {
        case EditorField::CodeFrom:
            return IDC_CODE_FROM;
        case EditorField::CodeTo:
            return IDC_CODE_TO;
        case EditorField::DiameterFrom:
            return IDC_DIAMETER_FROM;
        case EditorField::DiameterTo:
            return IDC_DIAMETER_TO;
        case EditorField::DiameterModify:
            return IDC_DIAMETER_MODIFY;
    }
    return IDOK;
}

}  // namespace

RuleEditorDialog::RuleEditorDialog(const RuleTable& rules, EditedRule rule)
    : ModalDialog(IDD_MASTER_SETTING),
      SubKeyName(kEditorSubKeyName),
      EditedRuleNumber(rule),
      Rules(rules) {}

BOOL RuleEditorDialog::OnInitDialog() {
    ModalDialog::OnInitDialog();
    if (EditedRuleNumber == kNewRule) {
        LoadFromRegistry();
    } else {
        LoadFromRule();
    }
    return TRUE;
}

void RuleEditorDialog::DoDataExchange(bool saveAndValidate) {
    ExchangeCheck(saveAndValidate, IDC_ENABLED, isDisplay);
    ExchangeText(saveAndValidate, IDC_CODE_FROM, CodeFrom);
    ExchangeText(saveAndValidate, IDC_CODE_TO, CodeTo);
    ExchangeText(saveAndValidate, IDC_DIAMETER_FROM, DiameterFrom);
    ExchangeText(saveAndValidate, IDC_DIAMETER_TO, DiameterTo);
    ExchangeText(saveAndValidate, IDC_DIAMETER_MODIFY, DiameterModify);
}

// Values the rule could not use keep the editor open: nothing reaches the table or the
// registry, which the caller writes only after IDOK.
void RuleEditorDialog::OnOK() {
    UpdateData(true);
    if (const std::optional<EditorRefusal> refusal = CheckEditorValues(Rule())) {
        ShowModuleMessage(ToWide(refusal->message), MB_ICONWARNING);
        // As the dialog manager moves the focus: the field's text comes selected.
        SendMessageW(hwnd(), WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(Item(ControlOf(refusal->field))), TRUE);
        return;
    }
    ModalDialog::OnOK();
}

void RuleEditorDialog::OnCommand(int controlId, int notifyCode) {
    switch (controlId) {
        case IDC_ENABLED:
            if (notifyCode == BN_CLICKED) OnClickedEnable();
            break;
        case IDC_CODE_FROM:
        case IDC_CODE_TO:
        case IDC_DIAMETER_FROM:
        case IDC_DIAMETER_TO:
        case IDC_DIAMETER_MODIFY:
            if (notifyCode == EN_CHANGE) OnChangeField();
            break;
        default:
            break;
    }
}

void RuleEditorDialog::OnClickedEnable() {
    isDisplay = isDisplay == 0 ? 1 : 0;
}

// The members follow the controls while the user types.
void RuleEditorDialog::OnChangeField() {
    UpdateData(true);
}

void RuleEditorDialog::LoadFromRegistry() {
    const std::u16string keyPath = MakeKeyPath(SubKeyName);
    HoleRule values;
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        const EditorValueRow& value = kEditorValueRows[row];
        std::u16string text;
        if (RegReadText(keyPath, value.name, text) != 0) {
            text = value.defaultText;
            WriteSetting(SubKeyName, value.name, text);
        }
        TakeStoredText(values, row, text);
    }
    ShowValues(values);
}

void RuleEditorDialog::SaveToRegistry() const {
    const HoleRule values = Rule();
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        WriteSetting(SubKeyName, kEditorValueRows[row].name, StoredText(values, row));
    }
}

void RuleEditorDialog::LoadFromRule() {
    const int32_t n = EditedRuleNumber.value_or(0);
    if (n < 1 || n > Rules.count()) return;
    HoleRule values = Rules.rule(n);
    values.isDisplay = values.isDisplay != 0 ? 1 : 0;
    ShowValues(values);
}

void RuleEditorDialog::ShowValues(const HoleRule& values) {
    isDisplay = values.isDisplay;
    CodeFrom = values.CodeFrom;
    CodeTo = values.CodeTo;
    DiameterFrom = values.DiameterFrom;
    DiameterTo = values.DiameterTo;
    DiameterModify = values.DiameterModify;
    UpdateData(false);
}

HoleRule RuleEditorDialog::Rule() const {
    return HoleRule{isDisplay, CodeFrom, CodeTo, DiameterFrom, DiameterTo, DiameterModify};
}

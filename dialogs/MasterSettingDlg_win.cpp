#include "dialogs/MasterSettingDlg.h"

#include "dialogs/EditorRegistry.h"
#include "dialogs/EditorValues.h"
#include "dialogs/resource.h"
#include "platform/FileErrorReport.h"
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

MasterSettingDlg::MasterSettingDlg(const RuleTable& rules, int32_t ruleIndex)
    : ModalDialog(IDD_MASTER_SETTING),
      SubKeyName(kEditorSubKeyName),
      RuleIndex(ruleIndex),
      Rules(rules) {}

BOOL MasterSettingDlg::OnInitDialog() {
    ModalDialog::OnInitDialog();
    if (RuleIndex == -1) {
        LoadFromRegistry();
    } else {
        LoadFromRule();
    }
    return TRUE;
}

void MasterSettingDlg::DoDataExchange(bool saveAndValidate) {
    ExchangeCheck(saveAndValidate, IDC_ENABLED, isDisplay);
    ExchangeText(saveAndValidate, IDC_CODE_FROM, CodeFrom);
    ExchangeText(saveAndValidate, IDC_CODE_TO, CodeTo);
    ExchangeText(saveAndValidate, IDC_DIAMETER_FROM, DiameterFrom);
    ExchangeText(saveAndValidate, IDC_DIAMETER_TO, DiameterTo);
    ExchangeText(saveAndValidate, IDC_DIAMETER_MODIFY, DiameterModify);
}

// Values the rule could not use keep the editor open: nothing reaches the table or the
// registry, which the caller writes only after IDOK.
void MasterSettingDlg::OnOK() {
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

void MasterSettingDlg::OnCommand(int controlId, int notifyCode) {
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

void MasterSettingDlg::OnClickedEnable() {
    isDisplay = isDisplay == 0 ? 1 : 0;
}

// The members follow the controls while the user types.
void MasterSettingDlg::OnChangeField() {
    UpdateData(true);
}

void MasterSettingDlg::LoadFromRegistry() {
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

void MasterSettingDlg::SaveToRegistry() const {
    const HoleRule values = Rule();
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        WriteSetting(SubKeyName, kEditorValueRows[row].name, StoredText(values, row));
    }
}

void MasterSettingDlg::LoadFromRule() {
    if (RuleIndex < 1 || RuleIndex > Rules.count()) return;
    HoleRule values = Rules.rule(RuleIndex);
    values.isDisplay = values.isDisplay != 0 ? 1 : 0;
    ShowValues(values);
}

void MasterSettingDlg::ShowValues(const HoleRule& values) {
    isDisplay = values.isDisplay;
    CodeFrom = values.CodeFrom;
    CodeTo = values.CodeTo;
    DiameterFrom = values.DiameterFrom;
    DiameterTo = values.DiameterTo;
    DiameterModify = values.DiameterModify;
    UpdateData(false);
}

HoleRule MasterSettingDlg::Rule() const {
    return HoleRule{isDisplay, CodeFrom, CodeTo, DiameterFrom, DiameterTo, DiameterModify};
}

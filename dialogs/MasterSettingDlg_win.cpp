#include "dialogs/MasterSettingDlg.h"

#include <algorithm>
#include <array>

#include "dialogs/EditorRegistry.h"
#include "dialogs/EditorValues.h"
#include "dialogs/resource.h"
#include "platform/FileErrorReport.h"
#include "platform/WideText.h"

namespace {

// The control that shows each rule field, in the order of kRuleFields.
constexpr std::array<int, kRuleFieldCount> kFieldControls{IDC_ENABLED,     IDC_CODE_FROM,
                                                          IDC_CODE_TO,     IDC_DIAMETER_FROM,
                                                          IDC_DIAMETER_TO, IDC_DIAMETER_MODIFY};

int ControlOf(RuleField field) {
    return kFieldControls[InfoOf(field).position()];
}

bool IsTextControl(int controlId) {
    return controlId != IDC_ENABLED &&
           std::ranges::find(kFieldControls, controlId) != kFieldControls.end();
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
    ExchangeCheck(saveAndValidate, ControlOf(RuleField::Enabled), Values.isDisplay);
    for (const RuleFieldInfo& field : RuleTextFields()) {
        ExchangeText(saveAndValidate, ControlOf(field.field), Values.*field.text);
    }
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
    if (controlId == IDC_ENABLED) {
        if (notifyCode == BN_CLICKED) OnClickedEnable();
    } else if (IsTextControl(controlId)) {
        if (notifyCode == EN_CHANGE) OnChangeField();
    }
}

void MasterSettingDlg::OnClickedEnable() {
    Values.isDisplay = Values.isDisplay == 0 ? 1 : 0;
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
    Values = values;
    UpdateData(false);
}

HoleRule MasterSettingDlg::Rule() const {
    return Values;
}

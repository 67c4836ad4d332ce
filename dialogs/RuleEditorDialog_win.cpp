#include "dialogs/RuleEditorDialog.h"

#include <algorithm>
#include <array>

#include "dialogs/EditorValues.h"
#include "dialogs/ModuleMessages.h"
#include "dialogs/resource.h"
#include "platform/WideText.h"
#include "settings/Registry_win.h"

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

RuleEditorDialog::RuleEditorDialog(const RuleTable& rules, EditedRule rule)
    : ModalDialog(IDD_MASTER_SETTING), EditedRuleNumber(rule), Rules(rules) {}

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
    ExchangeCheck(saveAndValidate, ControlOf(RuleField::Enabled), Values.enabled);
    for (const RuleFieldInfo& field : RuleTextFields()) {
        ExchangeText(saveAndValidate, ControlOf(field.field), Values.*field.text);
    }
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
    if (controlId == IDC_ENABLED) {
        if (notifyCode == BN_CLICKED) OnClickedEnable();
    } else if (IsTextControl(controlId)) {
        if (notifyCode == EN_CHANGE) OnChangeField();
    }
}

void RuleEditorDialog::OnClickedEnable() {
    Values.enabled = Values.enabled == 0 ? 1 : 0;
}

// The members follow the controls while the user types.
void RuleEditorDialog::OnChangeField() {
    UpdateData(true);
}

void RuleEditorDialog::LoadFromRegistry() {
    HoleRule values;
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        const Setting& setting = kEditorValueRows[row].setting;
        SystemResult<std::u16string> text = ReadRememberedText(setting);
        if (!text) {
            // The default is remembered in its place; a failed write changes nothing shown.
            text = std::u16string(setting.defaultText);
            (void)RememberText(setting, *text);
        }
        TakeStoredText(values, row, *text);
    }
    ShowValues(values);
}

void RuleEditorDialog::SaveToRegistry() const {
    const HoleRule values = Rule();
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        (void)RememberText(kEditorValueRows[row].setting, StoredText(values, row));
    }
}

void RuleEditorDialog::LoadFromRule() {
    const int32_t n = EditedRuleNumber.value_or(0);
    if (n < 1 || n > Rules.count()) return;
    HoleRule values = Rules.rule(n);
    values.enabled = values.enabled != 0 ? 1 : 0;
    ShowValues(values);
}

void RuleEditorDialog::ShowValues(const HoleRule& values) {
    Values = values;
    UpdateData(false);
}

HoleRule RuleEditorDialog::Rule() const {
    return Values;
}

#include "dialogs/RuleEditorDialog_win.h"

#include <algorithm>
#include <utility>

#include "dialogs/DialogFields.h"
#include "dialogs/EditorValues.h"
#include "dialogs/ModuleMessages_win.h"
#include "dialogs/resource.h"
#include "framework/ModalDialog_win.h"
#include "platform/WideText_win.h"

namespace {

int ControlOf(RuleField field) {
    return DialogFieldOf(field).editorControl;
}

bool IsTextControl(int controlId) {
    return controlId != ControlOf(RuleField::Enabled) &&
           std::ranges::any_of(kDialogFields, [controlId](const DialogField& field) {
               return field.editorControl == controlId;
           });
}

class RuleEditorDialog final : public ModalDialog {
public:
    explicit RuleEditorDialog(HoleRule start)
        : ModalDialog(IDD_MASTER_SETTING), values_(std::move(start)) {}

    // The values as the controls show them.
    const HoleRule& values() const { return values_; }

protected:
    void DoDataExchange(bool saveAndValidate) override;
    void OnOK() override;
    void OnCommand(int controlId, int notifyCode) override;

private:
    HoleRule values_;
};

void RuleEditorDialog::DoDataExchange(bool saveAndValidate) {
    ExchangeCheck(saveAndValidate, ControlOf(RuleField::Enabled), values_.enabled);
    for (const RuleFieldInfo& field : RuleTextFields()) {
        ExchangeText(saveAndValidate, ControlOf(field.field), values_.*field.text);
    }
}

// Values the rule could not use keep the editor open: nothing is handed back.
void RuleEditorDialog::OnOK() {
    UpdateData(true);
    if (const std::optional<EditorRefusal> refusal = CheckEditorValues(values_)) {
        ShowModuleMessage(ToWide(refusal->message), MB_ICONWARNING);
        // As the dialog manager moves the focus: the field's text comes selected.
        SendMessageW(hwnd(), WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(Item(ControlOf(refusal->field))), TRUE);
        return;
    }
    ModalDialog::OnOK();
}

// The members follow the controls while the user types and clicks.
void RuleEditorDialog::OnCommand(int controlId, int notifyCode) {
    if (controlId == ControlOf(RuleField::Enabled)) {
        if (notifyCode == BN_CLICKED) values_.enabled = values_.enabled == 0 ? 1 : 0;
    } else if (IsTextControl(controlId)) {
        if (notifyCode == EN_CHANGE) UpdateData(true);
    }
}

HoleRule StartValues(const RuleTable& rules, EditedRule start) {
    if (!start.number) return std::move(start.newRule);
    const int32_t n = *start.number;
    if (n < 1 || n > rules.count()) return {};
    HoleRule values = rules.rule(n);
    values.enabled = values.enabled != 0 ? 1 : 0;
    return values;
}

}  // namespace

std::optional<HoleRule> EditRule(HWND owner, const RuleTable& rules, EditedRule start) {
    RuleEditorDialog editor(StartValues(rules, std::move(start)));
    if (editor.DoModal(owner) != IDOK) return std::nullopt;
    return editor.values();
}

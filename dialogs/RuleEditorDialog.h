// "Master Setting": the editor of one rule. It starts from the values remembered in the
// registry for a new rule (kNewRule) or from the rule it edits, never changes the rule
// table, and hands the values back through Rule() after IDOK. 적용 ends it only with
// values it can read (CheckEditorValues); otherwise it says which field it cannot take and
// puts the focus there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ModalDialog.h"
#include "rules/RuleTable.h"

// The rule an editor works on: a rule number of the table, or a new rule.
using EditedRule = std::optional<int32_t>;
inline constexpr EditedRule kNewRule = std::nullopt;

class RuleEditorDialog final : public ModalDialog {
public:
    RuleEditorDialog(const RuleTable& rules, EditedRule rule);

    // Reads the remembered values into the members and controls; a value that cannot be
    // read takes its default, which is written back at once.
    void LoadFromRegistry();
    // Remembers the members for the next new rule. Failed writes are ignored.
    void SaveToRegistry() const;
    // The members as a rule, to store in the table.
    HoleRule Rule() const;

    const EditedRule EditedRuleNumber;
    const RuleTable& Rules;
    HoleRule Values;  // as the controls show them

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(bool saveAndValidate) override;
    void OnOK() override;
    void OnCommand(int controlId, int notifyCode) override;

private:
    void LoadFromRule();
    void ShowValues(const HoleRule& values);
    void OnClickedEnable();
    void OnChangeField();
};

// "Hole Diameter": the rule list dialog. It shows the rule table, one row per rule with a
// check box for the rule's flag, and changes the table in place as the user works: flags,
// ADD and MODIFY through the rule editor, DEL. List row r shows rule r + 1.
#pragma once

#include <functional>

#include "controls/ReportListControl.h"
#include "platform/ModalDialog.h"
#include "rules/RuleTable.h"

// What the list offers beside the rules: the preview's switch, which comes back as the user
// left it, and the undo of the last rewrite.
struct RuleListOptions {
    bool previewBeforeRewrite = false;
    bool previewDecidedByMachine = false;  // the box is shown, disabled
    // Null when there is nothing to undo. Runs the undo (with its question); true while there
    // is still a rewrite to undo afterwards.
    std::function<bool()> undoLastRewrite;
};

class RuleListDialog final : public ModalDialog {
public:
    RuleListDialog(RuleTable& rules, RuleListOptions& options);

    RuleTable& Rules;
    RuleListOptions& Options;
    ReportListControl RuleList;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(bool saveAndValidate) override;
    void OnCommand(int controlId, int notifyCode) override;
    LRESULT OnNotify(const NMHDR& header) override;
    void OnDpiChanged(int dpi) override;

private:
    void FillList();
    void ShowRuleInRow(int row);
    void RefreshButtons();
    void EnableAddWhileRoomLeft();
    void FocusList();

    void OnClickList();
    void OnItemChanged(const NMLISTVIEW& change);
    void OnAllOn();
    void OnAllOff();
    void OnReverse();
    void SetEveryBox(const std::function<bool(bool)>& newState);
    void OnAdd();
    void OnDelete();
    void OnModify();
    void OnUndo();

    // True while the dialog itself changes rows and boxes, whose notifications must not
    // be taken for the user's.
    bool updatingList_ = false;
};

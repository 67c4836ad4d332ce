// "Hole Diameter": the rule list dialog. It shows a rule table, one row per rule with a check
// box for the rule's flag, and changes its own copy of the table as the user works: flags,
// ADD and MODIFY through the rule editor, DEL. List row r shows rule r + 1.
#pragma once

#include <windows.h>

#include <functional>

#include "rules/RuleTable.h"

// What the list offers beside the rules, and whom it tells of what the user does there.
struct RuleListOptions {
    // The preview's switch, which comes back as the user left it.
    bool previewBeforeRewrite = false;
    bool previewDecidedByMachine = false;  // the box is shown, disabled
    // Null when there is nothing to undo. Runs the undo (with its question); true while there
    // is still a rewrite to undo afterwards.
    std::function<bool()> undoLastRewrite;
    // The values the editor starts a new rule from (null: the defaults), and the values it
    // accepted, which the editor starts from next time; asked as ADD opens the editor and told
    // as 적용 closes it (ADD and MODIFY), before the list shows the rule.
    std::function<HoleRule()> recallEditorValues;
    std::function<void(const HoleRule&)> rememberEditorValues;
    // Told of the table as it stands after each change the user made, while the list is open.
    std::function<void(const RuleTable&)> tableChanged;
};

enum class ListOutcome { Confirmed, Cancelled };

struct RuleListResult {
    ListOutcome outcome = ListOutcome::Cancelled;  // 확인, or 취소 / Esc / the close box
    RuleTable table;                               // as the user left it, either way
    bool previewBeforeRewrite = false;             // the switch as the user left it at 확인
};

// Runs the list modally over `owner` on `table`. A list that could not be shown comes back
// cancelled with the table as given.
RuleListResult EditRuleList(HWND owner, RuleTable table, RuleListOptions options);

// Whether a rule list is open on the calling thread, such as one whose modal loop runs the
// caller.
bool RuleListIsOpen();

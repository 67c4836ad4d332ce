// The rewrites of event 0 while the command runs: the preview before a rewrite when it is on,
// the undo points of the command's rewrites, and the journal of every rewrite and undo.
#pragma once

#include <optional>

#include "command/RewriteJournal.h"
#include "command/RewriteUndo.h"
#include "entry/JournalWriter_win.h"
#include "host/HoleHost.h"
#include "journal/SeatJournal.h"
#include "platform/SystemFilePort.h"
#include "seat/RuleSession.h"

// PreviewBeforeRewrite: the machine's value decides when there is one, else the user's
// (IsSwitchedOn).
struct PreviewSetting {
    bool on = false;
    bool decidedByMachine = false;
};
PreviewSetting ReadPreviewSetting();
// The switch as the user left it in the rule list, opened with `atOpen`: remembered as the
// user's value when it was changed and the machine does not decide.
void RememberPreviewSwitch(const PreviewSetting& atOpen, bool asLeft);

class RewriteSession {
public:
    explicit RewriteSession(const RuleSession& rules) : rules_(rules) {}

    // At each start of the command, after the load: nothing from an earlier run can be
    // undone, and the acts that wait for a journal (this user's pending ones, those owed to the
    // rule folder's) are appended.
    void OnCommandStart() {
        Settle();
        undo_.Clear();
        CatchUpJournals();
    }
    // At the end of the command: its rewrites can no longer be undone, so that a drawing
    // opened afterwards is never touched; the journal written behind it is finished.
    void OnCommandEnd() {
        Settle();
        undo_.Clear();
    }
    // Before another act reaches the seat's journals (a save of the rules).
    void FinishJournal() { Settle(); }

    // Event 0: rewrites the selected holes by the session's table, after the preview when it
    // is on; a rewrite that changed some step's value becomes the newest undo point.
    void Rewrite(HoleHost& host);

    // Whether some rewrite of the running command has not been undone.
    bool CanUndo() {
        Settle();
        return !undo_.empty();
    }
    // Asks whether to undo the newest rewrite not undone yet (its time, its hole count and how
    // many of them are no longer as it left them) and, on 예, puts back the holes that still
    // hold what it left and tells the outcome. Returns true when the undo ran.
    bool UndoLastRewrite(HoleHost& host);

private:
    // `left`: an undo's holes left as they were (LeftHolesText). A rewrite's changes become
    // its undo point once written.
    void Journal(JournalAction action, const std::string& rewriteId, const Timestamp& time,
                 std::vector<HoleChange> holes, const std::string& left = {});
    // Waits for the act written behind the command and takes the undo point made of it.
    void Settle();
    void CatchUpJournals();

    const RuleSession& rules_;
    SystemFilePort files_;
    UndoHistory undo_;
    JournalWriter journal_;
    std::optional<UndoPoint> written_;  // made by the writing thread, taken by Settle
};

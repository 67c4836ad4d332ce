// The rewrites of event 0 over the module's life: the preview before a rewrite when it is on,
// the undo point of the last rewrite, and the journal of every rewrite and undo.
#pragma once

#include <optional>

#include "command/RewriteJournal.h"
#include "command/RewriteUndo.h"
#include "entry/RuleSession.h"
#include "host/HoleHost.h"
#include "journal/SeatJournal.h"
#include "platform/SystemFilePort.h"

// PreviewBeforeRewrite: the machine's value decides when there is one, else the user's
// (IsSwitchedOn).
struct PreviewSetting {
    bool on = false;
    bool decidedByMachine = false;
};
PreviewSetting ReadPreviewSetting();

class RuleSession;

class RewriteSession {
public:
    explicit RewriteSession(const RuleSession& rules) : rules_(rules) {}

    // At each start of the command, after the load: the acts that wait for a journal (this
    // user's pending ones, those owed to the rule folder's) are appended.
    void OnCommandStart() { CatchUpJournals(); }

    // Event 0: rewrites the selected holes by the session's table, after the preview when it
    // is on; what was amended becomes the undo point.
    void Rewrite(HoleHost& host);

    // Whether there is a rewrite that has not been undone.
    bool CanUndo() const { return undoPoint_.has_value(); }
    // Asks whether to undo the last rewrite and, on 예, puts back what still holds what the
    // rewrite wrote and tells the outcome; the undo point is gone then. Returns true when the
    // undo ran.
    bool UndoLastRewrite(HoleHost& host);

    // Event 7: the rule list, with the preview's switch as the settings have it and the undo
    // (the rule session decides what comes of the list).
    void EditRules(RuleSession& rules, HoleHost& host);

private:
    void Journal(JournalAction action, const std::string& rewriteId, const Timestamp& time,
                 const std::vector<HoleChange>& holes);
    void TellJournalFailure(const std::vector<JournalMiss>& misses);
    void CatchUpJournals();

    const RuleSession& rules_;
    SystemFilePort files_;
    std::optional<UndoPoint> undoPoint_;
};

// The undo of the last rewrite: what the rewrite records, and putting back the old
// diameters of the steps that still hold what the rewrite wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "command/JournalTime.h"
#include "command/RewritePlan.h"
#include "host/HoleHost.h"

// What a rewrite amended, for its undo: when, under which journal id, and per hole the
// changed steps (place, code, old diameter, the diameter written).
struct UndoPoint {
    Timestamp time;
    std::string rewriteId;
    std::vector<HoleChange> holes;
};

// A changed step is put back only when it is still there with the code it had and, bit for
// bit, the diameter the rewrite wrote; anything else is a change made since, left as it is.
enum class StepUndo { Restore, ChangedSince };
StepUndo DecideStepUndo(const HoleRecord& now, const StepChange& change);

struct UndoOutcome {
    int32_t holesRestored = 0;  // amended with at least one step put back
    int32_t stepsRestored = 0;
    int32_t stepsChangedSince = 0;  // left as they are (in holes read and not excluded)
    int32_t holesUnreadable = 0;    // gone from the drawing, or the host could not read them
    int32_t holesExcluded = 0;      // excluded from rewriting since: left as they are
    int32_t holesRefused = 0;       // the host refused the amended record
    // What was put back, for the journal: per step before is the diameter the rewrite had
    // written, after the old one, with the rules that had changed it.
    std::vector<HoleChange> restored;

    bool LeftSome() const {
        return stepsChangedSince + holesUnreadable + holesExcluded + holesRefused > 0;
    }
};

// Reads each hole of the point once, puts back what DecideStepUndo allows and amends each
// hole once. A hole that cannot be read or amended is counted and the undo goes on with the
// next. Says nothing to the host: the caller shows the outcome (dialogs/RewriteTexts.h).
UndoOutcome UndoRewrite(HoleHost& host, const UndoPoint& point);

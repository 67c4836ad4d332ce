// The undo of the rewrites of the running command: what each rewrite leaves to undo, which of
// its holes may still be put back, and putting back their old diameters.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "command/HoleChange.h"
#include "host/HoleHost.h"
#include "journal/JournalTime.h"

// What a rewrite changed, for its undo: when, under which journal id, and per hole the steps
// whose value changed (place, code, old diameter, the diameter written) with the print of
// the hole's steps as the rewrite handed them back.
struct UndoPoint {
    Timestamp time;
    std::string rewriteId;
    std::vector<HoleChange> holes;
};

// The undo point of what a rewrite did: its holes and steps whose value changed, kept in the
// changes themselves. Nothing when no step's value changed.
std::optional<UndoPoint> UndoPointOf(const Timestamp& time, std::string rewriteId,
                                     std::vector<HoleChange> done);

// Why a hole of an undo point is left as it is.
enum class UndoLeft : uint8_t {
    ChangedSince,  // some step is no longer what the rewrite left (code, diameter or count)
    Excluded,      // excluded from rewriting since
    Unreadable,    // gone from the drawing, or the host could not read it
    Refused,       // the host refused the amended record
};

// A hole is put back only when every one of its steps still holds, code for code and bit for
// bit, what the rewrite left, and it is not excluded since.
std::optional<UndoLeft> WhyHoleIsLeft(const HoleRecord& now, const HoleChange& done);

// How many holes of the point could no longer be put back, told before the user is asked.
// Reads each hole once; amends nothing.
int32_t HolesNoLongerAsLeft(HoleHost& host, const UndoPoint& point);

struct UndoOutcome {
    struct LeftHole {
        int32_t holeId;
        UndoLeft why;
    };
    int32_t holesRestored = 0;
    int32_t stepsRestored = 0;
    std::vector<LeftHole> left;  // in the point's order
    // What was put back, for the journal: per step before is the diameter the rewrite had
    // written, after the old one, with the rules that had changed it.
    std::vector<HoleChange> restored;

    bool LeftSome() const { return !left.empty(); }
    int32_t Count(UndoLeft why) const;
};

// The holes an undo left, for its journal: per reason "changed", "excluded", "gone" or
// "refused" the ids, at most `most` each (then "+N" for the rest): "changed:12,15;gone:99".
std::string LeftHolesText(const UndoOutcome& outcome, size_t most = 20);

// Reads each hole of the point once, puts back the holes WhyHoleIsLeft allows and amends each
// of them once. A hole that cannot be read or amended is listed and the undo goes on with the
// next. Says nothing to the host: the caller shows the outcome.
UndoOutcome UndoRewrite(HoleHost& host, const UndoPoint& point);

// The rewrites of the running command that can still be undone, the newest on top. Only the
// newest kDepth are kept; the command's end forgets them all.
class UndoHistory {
public:
    static constexpr size_t kDepth = 10;

    void Push(UndoPoint point);
    bool empty() const { return points_.empty(); }
    size_t size() const { return points_.size(); }
    const UndoPoint& Newest() const { return points_.back(); }
    UndoPoint TakeNewest();
    void Clear() { points_.clear(); }

private:
    std::deque<UndoPoint> points_;
};

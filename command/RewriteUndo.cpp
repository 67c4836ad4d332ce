#include "command/RewriteUndo.h"

#include <algorithm>

std::optional<UndoPoint> UndoPointOf(const Timestamp& time, std::string rewriteId,
                                     std::vector<HoleChange> done) {
    for (HoleChange& hole : done) {
        std::erase_if(hole.steps, [](const StepChange& step) { return step.KeepsValue(); });
    }
    std::erase_if(done, [](const HoleChange& hole) { return hole.steps.empty(); });
    if (done.empty()) return std::nullopt;
    return UndoPoint{time, std::move(rewriteId), std::move(done)};
}

std::optional<UndoLeft> WhyHoleIsLeft(const HoleRecord& now, const HoleChange& done) {
    if (now.excluded != 0) return UndoLeft::Excluded;
    // The print covers every step; the steps themselves are checked too, so that a collision
    // of prints can never put a value back where the rewrite did not write.
    const bool asLeft =
        PrintOfSteps(now) == done.print &&
        std::all_of(done.steps.begin(), done.steps.end(), [&now](const StepChange& change) {
            return StepHolds(now, change, change.after);
        });
    if (!asLeft) return UndoLeft::ChangedSince;
    return std::nullopt;
}

int32_t HolesNoLongerAsLeft(HoleHost& host, const UndoPoint& point) {
    int32_t left = 0;
    for (const HoleChange& hole : point.holes) {
        const HostResult<HoleRecord> read = host.KepHolGetHoleData(hole.holeId);
        if (!read || WhyHoleIsLeft(*read, hole)) ++left;
    }
    return left;
}

int32_t UndoOutcome::Count(UndoLeft why) const {
    return static_cast<int32_t>(
        std::count_if(left.begin(), left.end(), [why](const LeftHole& h) { return h.why == why; }));
}

UndoOutcome UndoRewrite(HoleHost& host, const UndoPoint& point) {
    UndoOutcome outcome;
    for (const HoleChange& hole : point.holes) {
        HostResult<HoleRecord> read = host.KepHolGetHoleData(hole.holeId);
        if (!read) {
            outcome.left.push_back({hole.holeId, UndoLeft::Unreadable});
            continue;
        }
        HoleRecord& record = *read;
        if (const std::optional<UndoLeft> why = WhyHoleIsLeft(record, hole)) {
            outcome.left.push_back({hole.holeId, *why});
            continue;
        }
        HoleChange putBack{hole.holeId, {}};
        putBack.steps.reserve(hole.steps.size());
        for (const StepChange& change : hole.steps) {
            record.steps[change.step - 1].diameter = change.before;
            putBack.steps.push_back(
                {change.step, change.code, change.after, change.before, change.rules});
        }
        putBack.print = PrintOfSteps(record);
        if (!host.KepHolAmendHoleData(hole.holeId, record)) {
            outcome.left.push_back({hole.holeId, UndoLeft::Refused});
            continue;
        }
        ++outcome.holesRestored;
        outcome.stepsRestored += static_cast<int32_t>(putBack.steps.size());
        outcome.restored.push_back(std::move(putBack));
    }
    return outcome;
}

std::string LeftHolesText(const UndoOutcome& outcome, size_t most) {
    constexpr std::pair<UndoLeft, const char*> kReasons[] = {{UndoLeft::ChangedSince, "changed"},
                                                             {UndoLeft::Excluded, "excluded"},
                                                             {UndoLeft::Unreadable, "gone"},
                                                             {UndoLeft::Refused, "refused"}};
    std::string text;
    for (const auto& [why, name] : kReasons) {
        size_t named = 0;
        size_t rest = 0;
        for (const UndoOutcome::LeftHole& hole : outcome.left) {
            if (hole.why != why) continue;
            if (named == most) {
                ++rest;
                continue;
            }
            text += named++ == 0 ? (text.empty() ? "" : ";") + std::string(name) + ":" : ",";
            text += std::to_string(hole.holeId);
        }
        if (rest > 0) text += ",+" + std::to_string(rest);
    }
    return text;
}

void UndoHistory::Push(UndoPoint point) {
    points_.push_back(std::move(point));
    while (points_.size() > kDepth) points_.pop_front();
}

UndoPoint UndoHistory::TakeNewest() {
    UndoPoint newest = std::move(points_.back());
    points_.pop_back();
    return newest;
}

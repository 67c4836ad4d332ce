#include "command/RewriteUndo.h"

#include <bit>

StepUndo DecideStepUndo(const HoleRecord& now, const StepChange& change) {
    const int32_t stepCount = now.steps != nullptr ? now.stepCount : 0;
    if (change.step < 1 || change.step > stepCount) return StepUndo::ChangedSince;
    const HoleStep& step = now.steps[change.step - 1];
    const bool asWritten = step.code == change.code && std::bit_cast<uint64_t>(step.diameter) ==
                                                           std::bit_cast<uint64_t>(change.after);
    return asWritten ? StepUndo::Restore : StepUndo::ChangedSince;
}

UndoOutcome UndoRewrite(HoleHost& host, const UndoPoint& point) {
    UndoOutcome outcome;
    for (const HoleChange& hole : point.holes) {
        HostResult<HoleRecord> read = host.KepHolGetHoleData(hole.holeId);
        if (!read) {
            ++outcome.holesUnreadable;
            continue;
        }
        HoleRecord& record = *read;
        if (record.excluded != 0) {
            ++outcome.holesExcluded;
            continue;
        }
        HoleChange putBack{hole.holeId, {}};
        int32_t changedSince = 0;
        for (const StepChange& change : hole.steps) {
            if (DecideStepUndo(record, change) == StepUndo::ChangedSince) {
                ++changedSince;
                continue;
            }
            record.steps[change.step - 1].diameter = change.before;
            putBack.steps.push_back(
                {change.step, change.code, change.after, change.before, change.rules});
        }
        outcome.stepsChangedSince += changedSince;
        if (putBack.steps.empty()) continue;
        if (!host.KepHolAmendHoleData(hole.holeId, record)) {
            ++outcome.holesRefused;
            continue;
        }
        ++outcome.holesRestored;
        outcome.stepsRestored += static_cast<int32_t>(putBack.steps.size());
        outcome.restored.push_back(std::move(putBack));
    }
    return outcome;
}

#include "command/HoleRewrite.h"

#include <algorithm>

#include "command/HoleCommand.h"
#include "platform/TextEncoding.h"

namespace {

// The ids named after a count, at most this many.
constexpr size_t kIdsNamed = 10;

std::u16string IdList(const std::vector<int32_t>& ids) {
    std::u16string text;
    for (size_t i = 0; i < ids.size() && i < kIdsNamed; ++i) {
        if (i > 0) text += u", ";
        text += DecimalUtf16(ids[i]);
    }
    if (ids.size() > kIdsNamed) text += u", …";
    return text;
}

void TellReadFailure(HoleHost& host, const RewriteWords& words) {
    host.KepMsgPutErrorMessage(words.cannotReadHole);
    host.KepDlgMessageBox(words.errorOccurred);
}

// Writes the changes into the record's own step array and hands the record back as it was
// read. When the host refuses, tells so and returns false.
bool WriteAndAmend(HoleHost& host, HoleChange& change, HoleRecord& record,
                   const RewriteWords& words) {
    for (const StepChange& step : change.steps) record.steps[step.step - 1].diameter = step.after;
    change.print = PrintOfSteps(record);
    if (host.KepHolAmendHoleData(change.holeId, record)) return true;
    host.KepMsgPutErrorMessage(words.cannotAmendHole);
    host.KepDlgMessageBox(words.errorOccurred);
    return false;
}

void TellOutcome(HoleHost& host, const RewriteRecord& done, const RewriteWords& words) {
    if (!done.holes.empty()) {
        const auto changedHoles = static_cast<int32_t>(done.holes.size());
        host.KepDlgMessageBox(ChangedHolesMessage(words, changedHoles).c_str());
    }
    if (!done.leftSincePlan.empty()) {
        const std::u16string left =
            words.holesChangedSincePlan(done.leftSincePlan.size(), IdList(done.leftSincePlan));
        host.KepDlgMessageBox(left.c_str());
    }
    if (done.holes.empty() && done.leftSincePlan.empty()) {
        host.KepDlgMessageBox(words.noMatchingHole);
    }
}

}  // namespace

std::vector<StepChange> StepChangesOf(const RuleMatcher& rules, const HoleRecord& record) {
    std::vector<StepChange> changes;
    if (record.excluded != 0 || rules.empty()) return changes;
    // A host that reports steps without handing an array over has no steps to rewrite.
    const int32_t stepCount = record.steps != nullptr ? record.stepCount : 0;
    for (int32_t i = 0; i < stepCount; ++i) {
        const HoleStep& step = record.steps[i];
        const RuleMatcher::Rewritten rewritten = rules.Rewrite(step.code, step.diameter);
        if (rewritten.rules == 0) continue;
        if (changes.empty()) changes.reserve(static_cast<size_t>(stepCount - i));
        changes.push_back(
            {i + 1, step.code, step.diameter, rewritten.diameter, RuleSet(rewritten.rules)});
    }
    // A plan of a million holes keeps these: no room beyond the changes themselves.
    if (changes.capacity() > changes.size()) changes.shrink_to_fit();
    return changes;
}

std::u16string ChangedHolesMessage(const RewriteWords& words, int32_t count) {
    return words.changedHoles(count);
}

RewriteRecord RewriteSelectedHoles(HoleHost& host, const RuleTable& table,
                                   const RewriteWords& words) {
    RewriteRecord done;
    const std::vector<int32_t> holeIds = SelectedHoleIds(host);
    if (holeIds.empty()) {
        host.KepDlgMessageBox(words.noMatchingHole);
        return done;
    }
    const RuleMatcher rules(table);
    for (const int32_t holeId : holeIds) {
        HostResult<HoleRecord> record = host.KepHolGetHoleData(holeId);
        if (!record) {
            TellReadFailure(host, words);
            return done;
        }
        HoleChange change{holeId, StepChangesOf(rules, *record)};
        if (change.steps.empty()) continue;
        if (!WriteAndAmend(host, change, *record, words)) return done;
        done.holes.push_back(std::move(change));
    }
    TellOutcome(host, done, words);
    return done;
}

RewritePlan PlanSelectedHoles(HoleHost& host, const RuleTable& table, const RewriteWords& words) {
    RewritePlan plan;
    const std::vector<int32_t> holeIds = SelectedHoleIds(host);
    const RuleMatcher rules(table);
    for (const int32_t holeId : holeIds) {
        const HostResult<HoleRecord> record = host.KepHolGetHoleData(holeId);
        if (!record) {
            TellReadFailure(host, words);
            return {PlanStatus::ReadFailed, {}};
        }
        HoleChange change{holeId, StepChangesOf(rules, *record), PrintOfSteps(*record)};
        if (!change.steps.empty()) plan.holes.push_back(std::move(change));
    }
    if (plan.holes.empty()) {
        host.KepDlgMessageBox(words.noMatchingHole);
    } else {
        plan.status = PlanStatus::Ready;
    }
    return plan;
}

RewriteRecord ApplyPlan(HoleHost& host, RewritePlan plan, const RewriteWords& words) {
    RewriteRecord done;
    if (plan.status != PlanStatus::Ready) return done;
    for (HoleChange& planned : plan.holes) {
        HostResult<HoleRecord> record = host.KepHolGetHoleData(planned.holeId);
        const auto asPlanned = [&record](const StepChange& change) {
            return StepHolds(*record, change, change.before);
        };
        if (!record || record->excluded != 0 || PrintOfSteps(*record) != planned.print ||
            !std::ranges::all_of(planned.steps, asPlanned)) {
            done.leftSincePlan.push_back(planned.holeId);
            continue;
        }
        if (!WriteAndAmend(host, planned, *record, words)) return done;
        done.holes.push_back(std::move(planned));
    }
    TellOutcome(host, done, words);
    return done;
}

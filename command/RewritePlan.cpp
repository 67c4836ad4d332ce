#include "command/RewritePlan.h"

#include <algorithm>
#include <charconv>

#include "command/HoleCommand.h"
#include "platform/TextEncoding.h"

std::vector<int32_t> RuleSet::Numbers() const {
    std::vector<int32_t> numbers;
    for (int32_t rule = 1; rule <= 64; ++rule) {
        if (Has(rule)) numbers.push_back(rule);
    }
    return numbers;
}

std::vector<StepChange> PlanHoleSteps(const RuleMatcher& rules, HoleRecord& record) {
    std::vector<StepChange> changes;
    if (record.excluded != 0 || rules.empty()) return changes;
    // A host that reports steps without handing an array over has no steps to rewrite.
    const int32_t stepCount = record.steps != nullptr ? record.stepCount : 0;
    for (int32_t i = 0; i < stepCount; ++i) {
        HoleStep& step = record.steps[i];
        const std::vector<RuleMatcher::Match> matches = rules.Trace(step.code, step.diameter);
        if (matches.empty()) continue;
        StepChange& change = changes.emplace_back(
            StepChange{i + 1, step.code, step.diameter, matches.back().diameter, {}});
        for (const RuleMatcher::Match& match : matches) change.rules.Add(match.rule);
        step.diameter = change.after;
    }
    return changes;
}

bool AmendPlannedHole(HoleHost& host, int32_t holeId, const HoleRecord& record,
                      const RewriteWords& words) {
    if (host.KepHolAmendHoleData(holeId, record)) return true;
    host.KepMsgPutErrorMessage(words.cannotAmendHole);
    return false;
}

RewritePlan PlanSelectedHoles(HoleHost& host, const RuleTable& table, const RewriteWords& words) {
    RewritePlan plan;
    const std::vector<int32_t> holeIds = SelectedHoleIds(host);
    const RuleMatcher rules(table);
    for (const int32_t holeId : holeIds) {
        const HostResult<HoleRecord> read = host.KepHolGetHoleData(holeId);
        if (!read) {
            host.KepMsgPutErrorMessage(words.cannotReadHole);
            host.KepDlgMessageBox(words.errorOccurred);
            plan.holes.clear();
            plan.status = PlanStatus::ReadFailed;
            return plan;
        }
        PlannedHole hole{{holeId, {}}, *read, {}};
        if (hole.record.steps != nullptr && hole.record.stepCount > 0) {
            hole.steps.assign(hole.record.steps, hole.record.steps + hole.record.stepCount);
            hole.record.steps = hole.steps.data();
        }
        hole.change.steps = PlanHoleSteps(rules, hole.record);
        if (!hole.change.steps.empty()) plan.holes.push_back(std::move(hole));
    }
    if (plan.holes.empty()) {
        host.KepDlgMessageBox(words.noMatchingHole);
    } else {
        plan.status = PlanStatus::Ready;
    }
    return plan;
}

RewriteRecord ApplyPlan(HoleHost& host, RewritePlan& plan, const RewriteWords& words) {
    RewriteRecord done;
    if (plan.status != PlanStatus::Ready) return done;
    for (PlannedHole& hole : plan.holes) {
        // Moving the plan moves the step arrays with it; point the record at where they are.
        hole.record.steps = hole.steps.empty() ? nullptr : hole.steps.data();
        if (!AmendPlannedHole(host, hole.change.holeId, hole.record, words)) {
            host.KepDlgMessageBox(words.errorOccurred);
            return done;
        }
        done.holes.push_back(hole.change);
    }
    host.KepDlgMessageBox(
        ChangedHolesMessage(words, static_cast<int32_t>(done.holes.size())).c_str());
    return done;
}

void ChangeSummary::Add(const HoleChange& hole) {
    if (hole.steps.empty()) return;
    ++holes;
    steps += static_cast<int32_t>(hole.steps.size());
    for (const StepChange& step : hole.steps) {
        if (step.KeepsValue()) ++stepsKeepingValue;
        for (const int32_t rule : step.rules.Numbers()) {
            auto at = std::lower_bound(perRule.begin(), perRule.end(), rule,
                                       [](const RuleSteps& r, int32_t n) { return r.rule < n; });
            if (at == perRule.end() || at->rule != rule) at = perRule.insert(at, {rule, 0});
            ++at->steps;
        }
    }
}

ChangeSummary SummarizeChanges(std::span<const HoleChange> holes) {
    ChangeSummary summary;
    for (const HoleChange& hole : holes) summary.Add(hole);
    return summary;
}

ChangeSummary SummarizePlan(const RewritePlan& plan) {
    ChangeSummary summary;
    for (const PlannedHole& hole : plan.holes) summary.Add(hole.change);
    return summary;
}

std::string ShortestDecimal(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string RuleListText(std::span<const int32_t> rules) {
    std::string text;
    for (const int32_t rule : rules) {
        if (!text.empty()) text += ", ";
        text += std::to_string(rule);
    }
    return text;
}

std::vector<std::u16string> PreviewRowTexts(int32_t holeId, const StepChange& step) {
    return {DecimalUtf16(holeId),
            DecimalUtf16(step.step),
            DecimalUtf16(step.code),
            Utf16FromAscii(ShortestDecimal(step.before)),
            Utf16FromAscii(ShortestDecimal(step.after)),
            Utf16FromAscii(RuleListText(step.rules.Numbers()))};
}

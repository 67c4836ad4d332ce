// What a rewrite changes, worked out step by step by the one function the rewrite itself
// uses (ApplyRulesToHole goes through PlanHoleSteps), so that a preview of the change and
// the change cannot differ; and the planned rewrite: every selected hole read once and
// planned before anything is amended, then applied or cancelled.
//
// A step "changes" when at least one rule in force matches it, also when the diameter the
// last matching rule writes equals the one the step had. That is what the rewrite counts as
// a changed hole ("총 N개의 구멍을 수정하였습니다.") and why it hands the record back to the
// host, so the preview lists such a step too and the journal records it.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "command/RewriteWords.h"
#include "host/HoleHost.h"
#include "rules/CompiledRules.h"
#include "rules/RuleTable.h"

// The rules that matched one step, in rule order: rules apply in ascending number, so a set
// of numbers holds the order too. Rule n is bit n - 1.
class RuleSet {
public:
    static_assert(RuleTable::kCapacity <= 64);

    void Add(int32_t rule) { bits_ |= uint64_t{1} << (rule - 1); }
    bool Has(int32_t rule) const { return (bits_ >> (rule - 1) & 1) != 0; }
    bool empty() const { return bits_ == 0; }
    std::vector<int32_t> Numbers() const;
    bool operator==(const RuleSet&) const = default;

private:
    uint64_t bits_ = 0;
};

struct StepChange {
    int32_t step;  // the step's place in the hole's record, from 1
    int32_t code;
    double before;
    double after;
    RuleSet rules;

    bool operator==(const StepChange&) const = default;
    bool KeepsValue() const {
        return std::bit_cast<uint64_t>(after) == std::bit_cast<uint64_t>(before);
    }
};

struct HoleChange {
    int32_t holeId;
    std::vector<StepChange> steps;

    bool operator==(const HoleChange&) const = default;
};

// Writes the new diameters of the rules in force into the record's steps, rule by rule in
// rule order, and lists the steps that matched. An excluded hole, a record without a step
// array and an empty matcher change nothing.
std::vector<StepChange> PlanHoleSteps(const RuleMatcher& rules, HoleRecord& record);

// Hands the amended record to the host; when it refuses, puts the words' cannotAmendHole on
// the host's message line and returns false.
bool AmendPlannedHole(HoleHost& host, int32_t holeId, const HoleRecord& record,
                      const RewriteWords& words);

// What a rewrite amended, hole by hole in selection order: the rewrite's undo point and
// journal. A hole the host refused is not in it.
struct RewriteRecord {
    std::vector<HoleChange> holes;
};

// One hole of a plan: its changes and the record as it will be handed to the host, with a
// step array of the plan's own (the host's array is left as it was read).
struct PlannedHole {
    HoleChange change;
    HoleRecord record;
    std::vector<HoleStep> steps;
};

enum class PlanStatus {
    Ready,            // some hole would change: show the plan, then apply or cancel it
    NothingToChange,  // the words' noMatchingHole is shown already
    ReadFailed,       // the rewrite's read failure messages are shown already; nothing amended
};

struct RewritePlan {
    PlanStatus status = PlanStatus::NothingToChange;
    std::vector<PlannedHole> holes;  // the holes that would change, in selection order
};

// Collects the selected holes with the same host calls as the rewrite, reads each once and
// plans it. A read failure ends the planning with the rewrite's messages: a planned rewrite
// changes all of its holes or, when it cannot read them all, none.
RewritePlan PlanSelectedHoles(HoleHost& host, const RuleTable& table, const RewriteWords& words);

// Amends exactly the planned records in order, with the rewrite's failure handling (the
// first refusal ends it with the words' cannotAmendHole and errorOccurred) and its count
// message.
RewriteRecord ApplyPlan(HoleHost& host, RewritePlan& plan, const RewriteWords& words);

// Holes, steps and how many steps each rule matched (a step that several rules rewrite in
// turn counts for each of them), rules in ascending number. Of the steps, those whose new
// diameter is the old one bit for bit keep their value.
struct ChangeSummary {
    struct RuleSteps {
        int32_t rule;
        int32_t steps;
    };
    int32_t holes = 0;
    int32_t steps = 0;
    int32_t stepsKeepingValue = 0;
    std::vector<RuleSteps> perRule;

    void Add(const HoleChange& hole);
};

ChangeSummary SummarizeChanges(std::span<const HoleChange> holes);
ChangeSummary SummarizePlan(const RewritePlan& plan);

// Numbers as the preview and the journal show them: the shortest decimal that reads back to
// the same double ("8.5", "-0", "1e-05"; "inf", "-inf", "nan"), and rule lists as "3, 7".
std::string ShortestDecimal(double value);
std::string RuleListText(std::span<const int32_t> rules);

// The preview list's columns for one step: 구멍, 단계, 가공코드, 현재 경, 새 경, 규칙.
std::vector<std::u16string> PreviewRowTexts(int32_t holeId, const StepChange& step);

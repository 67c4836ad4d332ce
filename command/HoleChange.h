// What a rewrite changes in a hole, step by step: the record of a plan shown before a
// rewrite, of a rewrite done (its undo point and journal) and of an undo.
//
// A step "changes" when at least one rule in force matches it, also when the diameter the
// last matching rule writes equals the one the step had. That is what the rewrite counts as
// a changed hole ("총 N개의 구멍을 수정하였습니다.") and why it hands the record back to the
// host, so the preview lists such a step too (marked as keeping its value) and the journal
// records it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "host/KepRecords.h"
#include "rules/RuleTable.h"

// The rules that matched one step, in rule order: rules apply in ascending number, so a set
// of numbers holds the order too. Rule n is bit n - 1.
class RuleSet {
public:
    static_assert(RuleTable::kCapacity <= 64);

    RuleSet() = default;
    explicit RuleSet(uint64_t bits) : bits_(bits) {}

    void Add(int32_t rule) { bits_ |= uint64_t{1} << (rule - 1); }
    bool Has(int32_t rule) const { return (bits_ >> (rule - 1) & 1) != 0; }
    bool empty() const { return bits_ == 0; }
    uint64_t bits() const { return bits_; }
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

    // The rules wrote back the diameter the step had, bit for bit.
    bool KeepsValue() const;
    bool operator==(const StepChange&) const = default;
};

// A digest of a hole's steps, all of them: the count, and each step's code and diameter bit
// for bit. Two records with the same steps give the same print; a step changed anywhere in
// the hole gives another (but for a 64-bit collision).
using StepsPrint = uint64_t;
StepsPrint PrintOfSteps(const HoleRecord& record);

// The record still has the step at the change's place, with its code and `diameter` bit for
// bit: a print alone is no proof, since prints can be made to collide.
bool StepHolds(const HoleRecord& record, const StepChange& change, double diameter);

struct HoleChange {
    int32_t holeId;
    std::vector<StepChange> steps;
    // The hole's steps as the change saw them: in a plan, as read before anything changed;
    // in what a rewrite did, as handed back to the host.
    StepsPrint print = 0;

    bool operator==(const HoleChange&) const = default;
};

// Holes, steps and how many steps each rule matched (a step that several rules rewrite in
// turn counts for each of them), rules in ascending number; of the steps, those the rules
// leave at the value they had.
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

// Rule lists as the preview and the journal show them, "3, 7": RuleNumbersText
// (journal/JournalFormat.h).

// The preview list's columns for one step: 구멍, 단계, 가공코드, 현재 경, 새 경, 규칙.
std::vector<std::u16string> PreviewRowTexts(int32_t holeId, const StepChange& step);

// Where two rule tables act differently: the code and diameter pieces on which a step ends
// with another diameter, or is counted as changed by one table and not by the other.
#pragma once

#include <cstdint>
#include <vector>

#include "workbench/RuleAnalysis.h"

// What one table does to a step on a piece; `changed` false means no rule matches and the
// step keeps its diameter.
struct StepOutcome {
    bool changed = false;
    double result = 0.0;
    std::vector<int> rules;  // the rule numbers that match, in order

    bool operator==(const StepOutcome& other) const;
};

// Closed binary64 intervals [low, high] on which the two tables act differently.
struct DiffChange {
    double low, high;
    StepOutcome before, after;

    bool operator==(const DiffChange& other) const = default;
};

// A maximal code interval on which the list of differing pieces is the same; codes on which
// the tables act alike are omitted, so an empty list means the tables are interchangeable.
struct DiffSegment {
    int64_t codeFrom, codeTo;
    std::vector<DiffChange> changes;
};

std::vector<DiffSegment> DiffRules(const RuleTable& before, const RuleTable& after);

// Two outcomes act alike when both leave the step or both write the same double; which rules
// got there does not matter to the step.
bool ActAlike(const StepOutcome& a, const StepOutcome& b);

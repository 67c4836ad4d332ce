// What a rule table does, worked out with the module's own rule code: the numbers each rule
// uses, findings about the rules, one step explained rule by rule, and the table's whole
// effect as exact binary64 intervals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rules/CompiledRules.h"
#include "rules/RuleTable.h"

enum class Severity { Info, Warning, Error };

struct Finding {
    std::string code;  // stable code word: "reversed-range", ...
    Severity severity;
    int line = 0;         // 1-based file line; 0 when not tied to one (the caller fills it in)
    int rule = 0;         // 1-based rule number; 0 when not tied to a rule
    std::string message;  // Korean, UTF-8
};

// The numbers the module's rewrite uses for each rule (after the empty-or-zero rules).
struct RuleNumbers {
    int rule;
    bool enabled;
    int32_t codeFrom, codeTo;
    double diameterLow, diameterHigh, newDiameter;
};
std::vector<RuleNumbers> NumbersOf(const RuleTable& table);

// Findings about the rules themselves: partial-number, no-number, not-finite, code-overflow,
// implausible-diameter (a new diameter outside kSmallestNewDiameter..kLargestNewDiameter),
// not-in-force (a new diameter that is not one such number), reversed-range, never-applies,
// chained, duplicate, disabled (the caller adds the file-level ones: skipped-line, beyond-49,
// not-utf16, legacy-code-page). Ordered by rule, then by code word. Rules that are not in
// force take no part in the map, reach and duplicates, as in the rewrite.
std::vector<Finding> CheckRules(const RuleTable& table);

// Why a new diameter cannot be used, as a clause that a sentence goes on from: "비어 있어".
std::string NewDiameterFaultReason(NewDiameterFault fault);

struct ExplainStep {
    int rule;
    bool enabled;  // a disabled rule is passed over: never matched
    bool matched;
    double diameter;  // after the rule
};
struct Explanation {
    std::vector<ExplainStep> steps;
    double result;
    bool changed;
};
// Every rule in order; disabled rules and rules not in force are passed over, never matching.
Explanation Explain(const RuleTable& table, int32_t code, double diameter);

// Closed binary64 intervals [low, high]; rules = the rule numbers that match, in order.
struct MapChange {
    double low, high, result;
    std::vector<int> rules;
};
// A maximal code interval [codeFrom, codeTo] on which the set of enabled rules whose code
// range holds the code is constant and not empty; code intervals where nothing changes are
// omitted.
struct MapSegment {
    int64_t codeFrom, codeTo;
    std::vector<MapChange> changes;
};
std::vector<MapSegment> MapRules(const RuleTable& table);

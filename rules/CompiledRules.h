// The enabled rules of a table with their texts parsed once, in rule order.
#pragma once

#include <cstdint>
#include <vector>

#include "rules/RuleTable.h"

struct CompiledRule {
    int32_t codeFrom;
    int32_t codeTo;
    double diameterLow;
    double diameterHigh;
    double diameterModify;

    bool Matches(int32_t code, double diameter) const {
        return codeFrom <= code && code <= codeTo && diameterLow <= diameter &&
               diameter <= diameterHigh;
    }
};

// A CodeTo of 0 means the range ends at CodeFrom; a DiameterTo of 0.0 likewise.
CompiledRule CompileRule(const HoleRule& rule);
std::vector<CompiledRule> CompileEnabledRules(const RuleTable& table);

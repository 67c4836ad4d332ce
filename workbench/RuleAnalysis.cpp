#include "workbench/RuleAnalysis.h"

#include "rules/CompiledRules.h"

std::vector<RuleNumbers> NumbersOf(const RuleTable& table) {
    std::vector<RuleNumbers> numbers;
    for (int n = 1; n <= table.count(); ++n) {
        const CompiledRule compiled = CompileRule(table.rule(n));
        numbers.push_back({n, table.rule(n).isDisplay != 0, compiled.codeFrom, compiled.codeTo,
                           compiled.diameterLow, compiled.diameterHigh, compiled.diameterModify});
    }
    return numbers;
}

std::vector<Finding> CheckRules(const RuleTable&) {
    return {};
}

Explanation Explain(const RuleTable&, int32_t, double diameter) {
    return {{}, diameter, false};
}

std::vector<MapSegment> MapRules(const RuleTable&) {
    return {};
}

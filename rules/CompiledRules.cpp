#include "rules/CompiledRules.h"

#include "rules/RuleText.h"

CompiledRule CompileRule(const HoleRule& rule) {
    CompiledRule compiled{};
    compiled.codeFrom = ParseCode(rule.CodeFrom);
    compiled.codeTo = ParseCode(rule.CodeTo);
    if (compiled.codeTo == 0) compiled.codeTo = compiled.codeFrom;
    compiled.diameterLow = ParseDiameter(rule.DiameterFrom);
    compiled.diameterHigh = ParseDiameter(rule.DiameterTo);
    if (compiled.diameterHigh == 0.0) compiled.diameterHigh = compiled.diameterLow;
    compiled.diameterModify = ParseDiameter(rule.DiameterModify);
    return compiled;
}

std::vector<CompiledRule> CompileEnabledRules(const RuleTable& table) {
    std::vector<CompiledRule> rules;
    rules.reserve(static_cast<size_t>(table.count()));
    for (int32_t n = 1; n <= table.count(); ++n) {
        if (table.rule(n).isDisplay != 0) rules.push_back(CompileRule(table.rule(n)));
    }
    return rules;
}

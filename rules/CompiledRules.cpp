#include "rules/CompiledRules.h"

#include <algorithm>
#include <cmath>

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

bool IsUsableNewDiameter(double diameter) {
    return std::isfinite(diameter) && diameter > 0.0;
}

bool IsInForce(const HoleRule& rule) {
    return rule.isDisplay != 0 && IsUsableNewDiameter(ParseDiameter(rule.DiameterModify));
}

std::vector<CompiledRule> CompileRulesInForce(const RuleTable& table) {
    std::vector<CompiledRule> rules;
    rules.reserve(static_cast<size_t>(table.count()));
    for (int32_t n = 1; n <= table.count(); ++n) {
        if (IsInForce(table.rule(n))) rules.push_back(CompileRule(table.rule(n)));
    }
    return rules;
}

RuleMatcher::RuleMatcher(const RuleTable& table) : rules_(CompileRulesInForce(table)) {
    for (const CompiledRule& rule : rules_) {
        if (rule.codeFrom > rule.codeTo) continue;  // a reversed range matches nothing
        bandStarts_.push_back(rule.codeFrom);
        bandStarts_.push_back(int64_t{rule.codeTo} + 1);
    }
    std::sort(bandStarts_.begin(), bandStarts_.end());
    bandStarts_.erase(std::unique(bandStarts_.begin(), bandStarts_.end()), bandStarts_.end());
    bandOffsets_.push_back(0);
    for (size_t band = 0; band + 1 < bandStarts_.size(); ++band) {
        for (size_t r = 0; r < rules_.size(); ++r) {
            if (rules_[r].codeFrom <= bandStarts_[band] &&
                bandStarts_[band + 1] - 1 <= rules_[r].codeTo) {
                bandRules_.push_back(static_cast<uint8_t>(r));
            }
        }
        bandOffsets_.push_back(static_cast<uint32_t>(bandRules_.size()));
    }
}

std::span<const uint8_t> RuleMatcher::RulesForCode(int32_t code) const {
    const auto after = std::upper_bound(bandStarts_.begin(), bandStarts_.end(), int64_t{code});
    if (after == bandStarts_.begin() || after == bandStarts_.end()) return {};
    const auto band = static_cast<size_t>(after - bandStarts_.begin() - 1);
    return std::span(bandRules_)
        .subspan(bandOffsets_[band], bandOffsets_[band + 1] - bandOffsets_[band]);
}

bool RuleMatcher::Apply(int32_t code, double& diameter) const {
    bool matched = false;
    for (uint8_t r : RulesForCode(code)) {
        const CompiledRule& rule = rules_[r];
        if (rule.MatchesDiameter(diameter)) {
            diameter = rule.diameterModify;
            matched = true;
        }
    }
    return matched;
}

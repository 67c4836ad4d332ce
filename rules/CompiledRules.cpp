#include "rules/CompiledRules.h"

#include <algorithm>

#include "rules/RuleText.h"

CompiledRule CompileRule(const HoleRule& rule) {
    CompiledRule compiled{};
    compiled.codeFrom = ParseCode(rule.CodeFrom);
    compiled.codeTo = ParseCode(rule.CodeTo);
    if (compiled.codeTo == 0) compiled.codeTo = compiled.codeFrom;
    compiled.diameterLow = ParseDiameter(rule.DiameterFrom);
    compiled.diameterHigh = ParseDiameter(rule.DiameterTo);
    if (compiled.diameterHigh == 0.0) compiled.diameterHigh = compiled.diameterLow;
    compiled.diameterModify = ReadNewDiameter(rule.DiameterModify).value;
    return compiled;
}

namespace {

bool HasDigit(std::u16string_view text) {
    for (const char16_t c : text) {
        if (c >= u'0' && c <= u'9') return true;
    }
    return false;
}

}  // namespace

NewDiameter ReadNewDiameter(std::u16string_view text) {
    const FieldNumber<double> number = ReadDiameter(text);
    const auto fault = [&] {
        switch (number.reading) {
            case TextReading::Blank:
                return NewDiameterFault::Blank;
            case TextReading::NoNumber:
                return NewDiameterFault::NoNumber;
            case TextReading::PartialNumber:
                // "8.5mm" means 8.5, but which number "8.5 9" or "8,5" means is anyone's guess.
                if (HasDigit(text.substr(number.length))) return NewDiameterFault::PartialNumber;
                break;
            case TextReading::Number:
                break;
        }
        if (number.outOfRange) return NewDiameterFault::NotFinite;
        if (!(number.value >= kSmallestNewDiameter && number.value <= kLargestNewDiameter)) {
            return NewDiameterFault::Implausible;
        }
        return NewDiameterFault::None;
    };
    return {number.value, fault()};
}

bool IsInForce(const HoleRule& rule) {
    return rule.enabled != 0 && ReadNewDiameter(rule.DiameterModify).usable();
}

std::vector<CompiledRule> CompileRulesInForce(const RuleTable& table) {
    std::vector<CompiledRule> rules;
    rules.reserve(static_cast<size_t>(table.count()));
    for (int32_t n = 1; n <= table.count(); ++n) {
        if (IsInForce(table.rule(n))) rules.push_back(CompileRule(table.rule(n)));
    }
    return rules;
}

std::vector<CodeBand> CodeBandsOf(std::span<const CompiledRule> rules) {
    std::vector<int64_t> cuts;
    for (const CompiledRule& rule : rules) {
        if (rule.codeFrom > rule.codeTo) continue;
        cuts.push_back(rule.codeFrom);
        cuts.push_back(int64_t{rule.codeTo} + 1);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    std::vector<CodeBand> bands;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        CodeBand& band = bands.emplace_back(CodeBand{cuts[i], cuts[i + 1] - 1, {}});
        for (size_t r = 0; r < rules.size(); ++r) {
            // Bands start inside the int32 range: the one cut beyond it, INT32_MAX + 1, is last.
            if (rules[r].MatchesCode(static_cast<int32_t>(band.from))) band.rules.push_back(r);
        }
    }
    return bands;
}

RuleMatcher::RuleMatcher(const RuleTable& table) : rules_(CompileRulesInForce(table)) {
    for (int32_t n = 1; n <= table.count(); ++n) {
        if (IsInForce(table.rule(n))) ruleNumbers_.push_back(n);
    }
    const std::vector<CodeBand> bands = CodeBandsOf(rules_);
    bandOffsets_.push_back(0);
    for (const CodeBand& band : bands) {
        bandStarts_.push_back(band.from);
        for (const size_t r : band.rules) bandRules_.push_back(static_cast<uint8_t>(r));
        bandOffsets_.push_back(static_cast<uint32_t>(bandRules_.size()));
    }
    if (!bands.empty()) bandStarts_.push_back(bands.back().to + 1);
}

std::span<const uint8_t> RuleMatcher::RulesForCode(int32_t code) const {
    const auto after = std::upper_bound(bandStarts_.begin(), bandStarts_.end(), int64_t{code});
    if (after == bandStarts_.begin() || after == bandStarts_.end()) return {};
    const auto band = static_cast<size_t>(after - bandStarts_.begin() - 1);
    return std::span(bandRules_)
        .subspan(bandOffsets_[band], bandOffsets_[band + 1] - bandOffsets_[band]);
}

RuleMatcher::Rewritten RuleMatcher::Rewrite(int32_t code, double diameter) const {
    static_assert(RuleTable::kCapacity <= 64);
    Rewritten result{diameter, 0};
    for (uint8_t r : RulesForCode(code)) {
        const CompiledRule& rule = rules_[r];
        if (rule.MatchesDiameter(result.diameter)) {
            result.diameter = rule.diameterModify;
            result.rules |= uint64_t{1} << (ruleNumbers_[r] - 1);
        }
    }
    return result;
}

std::vector<RuleMatcher::Match> RuleMatcher::Trace(int32_t code, double diameter) const {
    std::vector<Match> matches;
    for (uint8_t r : RulesForCode(code)) {
        if (rules_[r].MatchesDiameter(diameter)) {
            diameter = rules_[r].diameterModify;
            matches.push_back({ruleNumbers_[r], diameter});
        }
    }
    return matches;
}

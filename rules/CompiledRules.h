// The enabled rules of a table with their texts parsed once, and an index that finds the
// rules whose code range holds a given code without trying every rule.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "rules/RuleTable.h"

struct CompiledRule {
    int32_t codeFrom;
    int32_t codeTo;
    double diameterLow;
    double diameterHigh;
    double diameterModify;

    bool MatchesCode(int32_t code) const { return codeFrom <= code && code <= codeTo; }
    bool MatchesDiameter(double diameter) const {
        return diameterLow <= diameter && diameter <= diameterHigh;
    }
};

// A CodeTo of 0 means the range ends at CodeFrom; a DiameterTo of 0.0 likewise.
CompiledRule CompileRule(const HoleRule& rule);

// The new diameters a rule may write into a hole: every unit a drawing uses, from a tenth of
// a micrometre in millimetres to a hundred metres.
inline constexpr double kSmallestNewDiameter = 0.0001;
inline constexpr double kLargestNewDiameter = 100000;

// Why a new diameter (DiameterModify) cannot be written into a hole.
enum class NewDiameterFault : uint8_t {
    None,
    Blank,          // nothing but white space
    NoNumber,       // no number at its start ("abc")
    PartialNumber,  // a number, something else and more digits ("8.5 9", "8 .5", "8,5")
    NotFinite,      // beyond binary64 ("1e309")
    Implausible,    // a number outside kSmallestNewDiameter..kLargestNewDiameter
};

struct NewDiameter {
    double value;  // what the text's number reads as (0 when it has none)
    NewDiameterFault fault;

    bool usable() const { return fault == NewDiameterFault::None; }
};

// The text's number must be from kSmallestNewDiameter to kLargestNewDiameter, and no digit
// may follow it after something else: "8.5mm" is 8.5, "8.5 9" is no usable diameter.
NewDiameter ReadNewDiameter(std::u16string_view text);

// A rule is in force when it is enabled and its new diameter is usable. The rewrite passes
// over every other rule as over a disabled one: such a rule never changes a hole, and later
// rules may still match.
bool IsInForce(const HoleRule& rule);
// The rules in force, in rule order.
std::vector<CompiledRule> CompileRulesInForce(const RuleTable& table);

// A piece of the code axis on which the same rules match: from..to, both inclusive, and the
// rules (indices into the compiled rules, in rule order) whose code range holds all of it.
struct CodeBand {
    int64_t from;
    int64_t to;
    std::vector<size_t> rules;
};

// Cuts the code axis wherever a rule's code range starts or ends (a reversed range matches
// nothing and makes no cut) and returns the pieces between the first and the last cut in
// order, those no rule covers included.
std::vector<CodeBand> CodeBandsOf(std::span<const CompiledRule> rules);

// Applies the rules in force of a table to one machining step at a time. A step's new
// diameter depends only on that step and on the rules in rule order, so applying every
// rule to one step before the next step gives exactly what rule-by-rule passes over all
// steps give.
class RuleMatcher {
public:
    explicit RuleMatcher(const RuleTable& table);

    bool empty() const { return rules_.empty(); }
    // The diameter after every matching rule in rule order, and which rules matched: bit
    // n - 1 stands for the table's rule n, so 0 means that none did.
    struct Rewritten {
        double diameter;
        uint64_t rules;
    };
    Rewritten Rewrite(int32_t code, double diameter) const;
    // What Rewrite does, rule by rule: the table's number of each rule that matches, in rule
    // order, with the diameter it writes.
    struct Match {
        int32_t rule;
        double diameter;
    };
    std::vector<Match> Trace(int32_t code, double diameter) const;

private:
    std::span<const uint8_t> RulesForCode(int32_t code) const;

    std::vector<CompiledRule> rules_;
    std::vector<int32_t> ruleNumbers_;  // the table's number of each of rules_
    // The code axis cut where some rule's range starts or ends: bandStarts_[i] begins band
    // i, which ends where band i + 1 begins; bandRules_ lists, in rule order, the rules whose
    // range covers the whole band (bandOffsets_ delimits each band's list).
    std::vector<int64_t> bandStarts_;
    std::vector<uint32_t> bandOffsets_;
    std::vector<uint8_t> bandRules_;
};

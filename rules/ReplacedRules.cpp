#include "rules/ReplacedRules.h"

#include <algorithm>

namespace {

bool SameRanges(const HoleRule& a, const HoleRule& b) {
    return a.CodeFrom == b.CodeFrom && a.CodeTo == b.CodeTo && a.DiameterFrom == b.DiameterFrom &&
           a.DiameterTo == b.DiameterTo;
}

// The flag counts as on or off, whatever nonzero value stands for on.
bool SameRule(const HoleRule& a, const HoleRule& b) {
    return (a.enabled != 0) == (b.enabled != 0) && SameRanges(a, b) &&
           a.DiameterModify == b.DiameterModify;
}

template <typename Match>
bool TableHas(const RuleTable& table, const Match& match) {
    for (int32_t n = 1; n <= table.count(); ++n) {
        if (match(table.rule(n))) return true;
    }
    return false;
}

}  // namespace

int32_t ReplacedRules::gone() const {
    return static_cast<int32_t>(std::ranges::count(rules, false, &ReplacedRule::changed));
}

int32_t ReplacedRules::changed() const {
    return static_cast<int32_t>(std::ranges::count(rules, true, &ReplacedRule::changed));
}

ReplacedRules FindReplacedRules(const RuleTable& savedHere, const RuleTable& fileNow) {
    ReplacedRules replaced;
    for (int32_t n = 1; n <= savedHere.count(); ++n) {
        const HoleRule& saved = savedHere.rule(n);
        if (TableHas(fileNow, [&](const HoleRule& rule) { return SameRule(rule, saved); })) {
            continue;
        }
        const bool changed =
            TableHas(fileNow, [&](const HoleRule& rule) { return SameRanges(rule, saved); });
        replaced.rules.push_back({saved, changed});
    }
    return replaced;
}

bool HoldsEveryRule(const RuleTable& table, std::span<const ReplacedRule> rules) {
    return std::ranges::all_of(rules, [&](const ReplacedRule& replaced) {
        return TableHas(table,
                        [&](const HoleRule& rule) { return SameRule(rule, replaced.saved); });
    });
}

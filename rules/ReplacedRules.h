// Which rules this seat saved last a shared rule file no longer holds, because another seat
// replaced or removed them: told at the start of the command, with where they are kept.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rules/RuleTable.h"

struct ReplacedRule {
    HoleRule saved;        // as this seat saved it
    bool changed = false;  // the file has a rule of the same codes and diameters, with another
                           // new diameter or flag; else the rule is gone
};

struct ReplacedRules {
    std::vector<ReplacedRule> rules;  // in the saved table's order

    int32_t gone() const;
    int32_t changed() const;
    bool any() const { return !rules.empty(); }
};

// The rules of `savedHere` that `fileNow` does not hold as they were saved, compared by their
// flag and five texts as stored.
ReplacedRules FindReplacedRules(const RuleTable& savedHere, const RuleTable& fileNow);

// True when the table holds every rule of the list as it was saved.
bool HoldsEveryRule(const RuleTable& table, std::span<const ReplacedRule> rules);

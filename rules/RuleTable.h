// A table of hole-diameter rules, numbered from 1; it holds at most 49 rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using RuleText = std::u16string;

struct HoleRule {
    int32_t enabled = 0;  // 1 on, 0 off; any nonzero value counts as on
    RuleText CodeFrom;
    RuleText CodeTo;
    RuleText DiameterFrom;
    RuleText DiameterTo;
    RuleText DiameterModify;

    bool operator==(const HoleRule&) const = default;
};

class RuleTable {
public:
    static constexpr int32_t kCapacity = 49;

    int32_t count() const { return count_; }
    bool IsFull() const { return count_ >= kCapacity; }

    // n counts from 1; callers keep 1 <= n <= count().
    const HoleRule& rule(int32_t n) const { return slots_[static_cast<size_t>(n - 1)]; }

    // The slots stay, so that refilling a cleared table reuses their texts' memory.
    void Clear() { count_ = 0; }
    // Returns false, changing nothing, when the table is full.
    bool Append(const HoleRule& rule);
    bool Append(HoleRule&& rule);
    // Appends a rule switched off and without texts, for the caller to fill in place; a slot
    // left by Clear keeps its texts' memory. Nothing when the table is full.
    HoleRule* AppendEmpty();
    void Replace(int32_t n, const HoleRule& rule);
    // Rules after n close the gap in order; n outside 1..count is ignored.
    void Remove(int32_t n);
    void SetEnabled(int32_t n, bool enabled);

private:
    int32_t count_ = 0;
    // Rule n in slots_[n - 1]; slots beyond count_ are left from earlier rules. Made as rules
    // arrive: the table is read from files many times over, mostly with few rules.
    std::vector<HoleRule> slots_;
};

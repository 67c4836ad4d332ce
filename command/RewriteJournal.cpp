#include "command/RewriteJournal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <type_traits>

#include "platform/TextEncoding.h"

namespace {

// The rules of a step as bits, rule n at bit n - 1, as the set holds them.
uint64_t RuleBits(const RuleSet& rules) {
    static_assert(sizeof(RuleSet) == sizeof(uint64_t) && std::is_trivially_copyable_v<RuleSet>);
    return std::bit_cast<uint64_t>(rules);
}

}  // namespace

HoleChangeRows::HoleChangeRows(std::span<const HoleChange> holes) : holes_(holes) {
    firstRow_.reserve(holes.size() + 1);
    uint64_t row = 0;
    for (const HoleChange& hole : holes) {
        firstRow_.push_back(row);
        row += hole.steps.size();
    }
    firstRow_.push_back(row);
}

size_t HoleChangeRows::HoleOf(uint64_t row) const {
    const auto after = std::upper_bound(firstRow_.begin(), firstRow_.end(), row);
    return static_cast<size_t>(after - firstRow_.begin()) - 1;
}

template <typename Each>
void HoleChangeRows::Visit(uint64_t from, uint64_t to, Each&& each) const {
    if (from >= to) return;
    for (size_t hole = HoleOf(from); hole < holes_.size() && firstRow_[hole] < to; ++hole) {
        const std::vector<StepChange>& steps = holes_[hole].steps;
        const uint64_t first = std::max(from, firstRow_[hole]) - firstRow_[hole];
        const uint64_t last = std::min(to, firstRow_[hole + 1]) - firstRow_[hole];
        for (uint64_t k = first; k < last; ++k) each(holes_[hole].holeId, steps[k]);
    }
}

JournalActSummary HoleChangeRows::Summary(uint64_t from, uint64_t to) const {
    JournalActSummary summary;
    summary.rows = to - from;
    std::array<uint64_t, 65> perRule{};  // by rule number; a set holds at most 64
    const HoleChange* last = nullptr;
    Visit(from, to, [&](int32_t, const StepChange& step) {
        for (uint64_t bits = RuleBits(step.rules); bits != 0; bits &= bits - 1) {
            ++perRule[static_cast<size_t>(std::countr_zero(bits) + 1)];
        }
    });
    for (size_t hole = from < to ? HoleOf(from) : holes_.size();
         hole < holes_.size() && firstRow_[hole] < to; ++hole) {
        if (!holes_[hole].steps.empty() && &holes_[hole] != last) ++summary.holes;
        last = &holes_[hole];
    }
    for (int32_t rule = 1; rule <= 64; ++rule) {
        if (perRule[static_cast<size_t>(rule)] > 0) {
            summary.stepsPerRule.emplace_back(rule, perRule[static_cast<size_t>(rule)]);
        }
    }
    return summary;
}

void HoleChangeRows::Write(uint64_t from, uint64_t to, JournalRowWriter& out) const {
    std::array<int32_t, 64> rules{};
    Visit(from, to, [&](int32_t holeId, const StepChange& step) {
        size_t count = 0;
        for (uint64_t bits = RuleBits(step.rules); bits != 0; bits &= bits - 1) {
            rules[count++] = std::countr_zero(bits) + 1;
        }
        out.Step(holeId, step.step, step.code, step.before, step.after,
                 std::span<const int32_t>(rules.data(), count));
    });
}

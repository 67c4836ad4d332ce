#include "workbench/RuleDiff.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <span>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool SameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

const MapSegment* SegmentHolding(const std::vector<MapSegment>& map, int64_t code) {
    const auto found = std::find_if(map.begin(), map.end(), [&](const MapSegment& segment) {
        return segment.codeFrom <= code && code <= segment.codeTo;
    });
    return found == map.end() ? nullptr : &*found;
}

std::span<const MapChange> ChangesOf(const MapSegment* segment) {
    if (segment == nullptr) return {};
    return segment->changes;
}

StepOutcome OutcomeAt(std::span<const MapChange> changes, double diameter) {
    for (const MapChange& change : changes) {
        if (change.low <= diameter && diameter <= change.high) {
            return {true, change.result, change.rules};
        }
    }
    return {};
}

// Cuts the code axis wherever a segment of either map starts or ends, so that on each band
// both maps hold one segment or none.
std::vector<int64_t> CodeCuts(const std::vector<MapSegment>& a, const std::vector<MapSegment>& b) {
    std::vector<int64_t> cuts;
    for (const std::vector<MapSegment>* map : {&a, &b}) {
        for (const MapSegment& segment : *map) {
            cuts.push_back(segment.codeFrom);
            cuts.push_back(segment.codeTo + 1);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

// Cuts the diameter axis at every change's low end and just above its high end: between two
// cuts each side's outcome is constant, and below the first cut neither side changes a step.
std::vector<double> DiameterCuts(std::span<const MapChange> a, std::span<const MapChange> b) {
    std::vector<double> cuts;
    for (const std::span<const MapChange> changes : {a, b}) {
        for (const MapChange& change : changes) {
            cuts.push_back(change.low);
            if (change.high < kInfinity) cuts.push_back(std::nextafter(change.high, kInfinity));
        }
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

std::vector<DiffChange> DiffChanges(std::span<const MapChange> a, std::span<const MapChange> b) {
    const std::vector<double> cuts = DiameterCuts(a, b);
    std::vector<DiffChange> changes;
    for (size_t i = 0; i < cuts.size(); ++i) {
        const double low = cuts[i];
        const double high =
            i + 1 < cuts.size() ? std::nextafter(cuts[i + 1], -kInfinity) : kInfinity;
        DiffChange change{low, high, OutcomeAt(a, low), OutcomeAt(b, low)};
        if (ActAlike(change.before, change.after)) continue;
        // Consecutive pieces touch only when no piece between them was dropped.
        const bool touches = !changes.empty() && changes.back().high < low &&
                             std::nextafter(changes.back().high, kInfinity) == low;
        if (touches && changes.back().before == change.before &&
            changes.back().after == change.after) {
            changes.back().high = high;
        } else {
            changes.push_back(std::move(change));
        }
    }
    return changes;
}

}  // namespace

bool StepOutcome::operator==(const StepOutcome& other) const {
    return changed == other.changed && SameBits(result, other.result) && rules == other.rules;
}

bool ActAlike(const StepOutcome& a, const StepOutcome& b) {
    return a.changed == b.changed && (!a.changed || SameBits(a.result, b.result));
}

std::vector<DiffSegment> DiffRules(const RuleTable& before, const RuleTable& after) {
    const std::vector<MapSegment> a = MapRules(before);
    const std::vector<MapSegment> b = MapRules(after);
    const std::vector<int64_t> cuts = CodeCuts(a, b);
    std::vector<DiffSegment> segments;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const int64_t from = cuts[i];
        const int64_t to = cuts[i + 1] - 1;
        std::vector<DiffChange> changes =
            DiffChanges(ChangesOf(SegmentHolding(a, from)), ChangesOf(SegmentHolding(b, from)));
        if (changes.empty()) continue;
        if (!segments.empty() && segments.back().codeTo + 1 == from &&
            segments.back().changes == changes) {
            segments.back().codeTo = to;
        } else {
            segments.push_back({from, to, std::move(changes)});
        }
    }
    return segments;
}

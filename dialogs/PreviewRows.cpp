#include "dialogs/PreviewRows.h"

#include <algorithm>
#include <cmath>

#include "journal/JournalFormat.h"
#include "platform/TextEncoding.h"
#include "texts/ModuleTexts.h"

namespace {

template <typename T>
int CompareValues(T a, T b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// A NaN after every number and equal to another NaN, so that the order is strict and weak.
int CompareDiameters(double a, double b) {
    const bool aNan = std::isnan(a);
    const bool bNan = std::isnan(b);
    if (aNan || bNan) return CompareValues(aNan, bNan);
    return CompareValues(a, b);
}

// The rule lists as sequences of ascending numbers. At the lowest rule in only one of the
// sets, the set with it is the smaller unless the other one has no rule after that one (it
// is then the first part of the set with it).
int CompareRules(const RuleSet& a, const RuleSet& b) {
    constexpr int32_t kLastRule = 64;
    int32_t rule = 1;
    while (rule <= kLastRule && a.Has(rule) == b.Has(rule)) ++rule;
    if (rule > kLastRule) return 0;
    const RuleSet& with = a.Has(rule) ? a : b;
    const RuleSet& without = a.Has(rule) ? b : a;
    bool withoutGoesOn = false;
    for (int32_t later = rule + 1; later <= kLastRule && !withoutGoesOn; ++later) {
        withoutGoesOn = without.Has(later);
    }
    const int withFirst = withoutGoesOn ? -1 : 1;
    return &with == &a ? withFirst : -withFirst;
}

}  // namespace

PreviewRows::PreviewRows(std::span<const HoleChange> holes) : holes_(holes) {
    size_t count = 0;
    for (const HoleChange& hole : holes) count += hole.steps.size();
    order_.reserve(count);
    for (uint32_t h = 0; h < holes.size(); ++h) {
        for (uint32_t s = 0; s < holes[h].steps.size(); ++s) order_.push_back({h, s});
    }
}

const StepChange& PreviewRows::StepAt(Place place) const {
    return holes_[place.hole].steps[place.step];
}

std::u16string PreviewRows::CellText(size_t row, PreviewColumn column) const {
    if (row >= order_.size()) return {};
    const Place place = order_[row];
    const StepChange& step = StepAt(place);
    switch (column) {
        case PreviewColumn::Hole:
            return DecimalUtf16(holes_[place.hole].holeId);
        case PreviewColumn::Step:
            return DecimalUtf16(step.step);
        case PreviewColumn::Code:
            return DecimalUtf16(step.code);
        case PreviewColumn::Diameter:
            return Utf16FromAscii(ShortestDecimal(step.before));
        case PreviewColumn::NewDiameter: {
            std::u16string text = Utf16FromAscii(ShortestDecimal(step.after));
            if (step.KeepsValue()) text += texts::kPreviewValueStays;
            return text;
        }
        case PreviewColumn::Rules:
            return Utf16FromAscii(RuleNumbersText(step.rules.Numbers()));
    }
    return {};
}

int PreviewRows::Compare(PreviewColumn column, Place a, Place b) const {
    const StepChange& x = StepAt(a);
    const StepChange& y = StepAt(b);
    switch (column) {
        case PreviewColumn::Hole:
            return CompareValues(holes_[a.hole].holeId, holes_[b.hole].holeId);
        case PreviewColumn::Step:
            return CompareValues(x.step, y.step);
        case PreviewColumn::Code:
            return CompareValues(x.code, y.code);
        case PreviewColumn::Diameter:
            return CompareDiameters(x.before, y.before);
        case PreviewColumn::NewDiameter:
            return CompareDiameters(x.after, y.after);
        case PreviewColumn::Rules:
            return CompareRules(x.rules, y.rules);
    }
    return 0;
}

size_t PreviewRows::SortBy(PreviewColumn column, size_t follow) {
    descending_ = sorted_ && sortColumn_ == column && !descending_;
    sorted_ = true;
    sortColumn_ = column;
    const bool followed = follow < order_.size();
    const Place kept = followed ? order_[follow] : Place{};
    // Ties fall back on selection order, so the order is total and the same from any start.
    const auto before = [this, column](Place a, Place b) {
        const int order = Compare(column, a, b);
        if (order != 0) return descending_ ? order > 0 : order < 0;
        return a < b;
    };
    std::sort(order_.begin(), order_.end(), before);
    if (!followed) return follow;
    return static_cast<size_t>(std::lower_bound(order_.begin(), order_.end(), kept, before) -
                               order_.begin());
}

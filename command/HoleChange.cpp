#include "command/HoleChange.h"

#include <algorithm>
#include <bit>

#include "journal/JournalFormat.h"
#include "platform/TextEncoding.h"

std::vector<int32_t> RuleSet::Numbers() const {
    std::vector<int32_t> numbers;
    for (uint64_t rest = bits_; rest != 0; rest &= rest - 1) {
        numbers.push_back(std::countr_zero(rest) + 1);
    }
    return numbers;
}

bool StepChange::KeepsValue() const {
    return std::bit_cast<uint64_t>(before) == std::bit_cast<uint64_t>(after);
}

namespace {

// An FNV-1a-style mix that takes a 64-bit word at a time.
class Print {
public:
    void Add(uint64_t word) {
        value_ ^= word;
        value_ *= 0x100000001B3ull;
        value_ ^= value_ >> 29;
    }
    StepsPrint value() const { return value_; }

private:
    uint64_t value_ = 0xCBF29CE484222325ull;
};

}  // namespace

bool StepHolds(const HoleRecord& record, const StepChange& change, double diameter) {
    const int32_t stepCount = record.steps != nullptr ? record.stepCount : 0;
    if (change.step < 1 || change.step > stepCount) return false;
    const HoleStep& step = record.steps[change.step - 1];
    return step.code == change.code &&
           std::bit_cast<uint64_t>(step.diameter) == std::bit_cast<uint64_t>(diameter);
}

StepsPrint PrintOfSteps(const HoleRecord& record) {
    const int32_t count = record.steps != nullptr && record.stepCount > 0 ? record.stepCount : 0;
    Print print;
    print.Add(static_cast<uint32_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        print.Add(static_cast<uint32_t>(record.steps[i].code));
        print.Add(std::bit_cast<uint64_t>(record.steps[i].diameter));
    }
    return print.value();
}

void ChangeSummary::Add(const HoleChange& hole) {
    if (hole.steps.empty()) return;
    ++holes;
    steps += static_cast<int32_t>(hole.steps.size());
    for (const StepChange& step : hole.steps) {
        if (step.KeepsValue()) ++stepsKeepingValue;
        for (const int32_t rule : step.rules.Numbers()) {
            auto at = std::lower_bound(perRule.begin(), perRule.end(), rule,
                                       [](const RuleSteps& r, int32_t n) { return r.rule < n; });
            if (at == perRule.end() || at->rule != rule) at = perRule.insert(at, {rule, 0});
            ++at->steps;
        }
    }
}

ChangeSummary SummarizeChanges(std::span<const HoleChange> holes) {
    ChangeSummary summary;
    for (const HoleChange& hole : holes) summary.Add(hole);
    return summary;
}

std::vector<std::u16string> PreviewRowTexts(int32_t holeId, const StepChange& step) {
    return {DecimalUtf16(holeId),
            DecimalUtf16(step.step),
            DecimalUtf16(step.code),
            Utf16FromAscii(ShortestDecimal(step.before)),
            Utf16FromAscii(ShortestDecimal(step.after)),
            Utf16FromAscii(RuleNumbersText(step.rules.Numbers()))};
}

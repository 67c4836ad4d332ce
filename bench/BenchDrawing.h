// What the native benchmarks rewrite: a selection of N entries over N/3 holes of ten steps
// each (codes 100 to 209, diameters 7.5 to 9.25; one hole in fifty excluded) and 49 enabled
// rules over codes 100 to 197 that write 8.5 into their diameter range.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "command/HoleRewrite.h"
#include "standin/Drawing.h"
#include "texts/RewriteTexts.h"

inline RuleTable BenchRules(std::u16string_view low, std::u16string_view high) {
    const auto text = [](const std::string& s) { return RuleText(s.begin(), s.end()); };
    RuleTable table;
    for (int i = 0; i < RuleTable::kCapacity; ++i) {
        const int code = 100 + 2 * i;
        table.Append(HoleRule{1, text(std::to_string(code)), text(std::to_string(code + 1)),
                              RuleText(low), RuleText(high), u"8.5"});
    }
    return table;
}

// Built once per size and kept (the largest takes seconds), with one untimed rewrite by
// `rules`, so that timing starts on a drawing already rewritten once.
inline Drawing& BenchDrawingWithEntries(int64_t entries, const RuleTable& rules) {
    constexpr int kElementsPerHole = 3;
    constexpr int kStepsPerHole = 10;
    static std::map<int64_t, std::unique_ptr<Drawing>> cache;
    auto& slot = cache[entries];
    if (slot) return *slot;
    slot = std::make_unique<Drawing>();
    Drawing& drawing = *slot;
    drawing.LogCalls(false);
    const int64_t holes = (entries + kElementsPerHole - 1) / kElementsPerHole;
    drawing.Reserve(static_cast<size_t>(holes), static_cast<size_t>(entries));
    std::vector<StepSpec> steps(kStepsPerHole);
    for (int64_t h = 0; h < holes; ++h) {
        for (int s = 0; s < kStepsPerHole; ++s) {
            steps[static_cast<size_t>(s)] = {static_cast<int32_t>(100 + (h * 7 + s * 13) % 110),
                                             7.5 + 0.25 * ((h + s) % 8)};
        }
        drawing.AddHole(static_cast<int32_t>(h + 1), h % 50 == 49, steps);
    }
    for (int64_t e = 0; e < entries; ++e) {
        const auto hole = static_cast<int32_t>(e % holes + 1);
        drawing.AddElement(hole % 16, static_cast<int32_t>(e + 1), hole);
    }
    drawing.SelectAll();
    DrawingHost host{drawing};
    RewriteSelectedHoles(host, rules, kRewriteWords);
    drawing.ClearLog();
    return drawing;
}

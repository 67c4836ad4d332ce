// The event-0 rewrite through the in-process stand-in host, beside the step-by-step
// reference rewrite (linear duplicate search, rules parsed per hole). A selection of N
// entries covers N/3 holes of ten steps each; the 49 enabled rules rewrite diameters into
// their own ranges, so every run does the same work.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchDrawing.h"
#include "command/HoleCommand.h"
#include "command/HoleRewrite.h"
#include "standin/Drawing.h"
#include "tests/reference/StepwiseRewrite.h"
#include "texts/RewriteTexts.h"

namespace {

RuleTable FullRuleTable() {
    return BenchRules(u"8.0", u"9.0");
}

Drawing& DrawingWithEntries(int64_t entries) {
    return BenchDrawingWithEntries(entries, FullRuleTable());
}

template <auto Rewrite>
void BM_Rewrite(benchmark::State& state) {
    Drawing& drawing = DrawingWithEntries(state.range(0));
    const RuleTable rules = FullRuleTable();
    for (auto _ : state) {
        Rewrite(drawing, rules);
        drawing.ClearLog();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["entries"] = static_cast<double>(state.range(0));
}

void ModuleRewrite(Drawing& drawing, const RuleTable& rules) {
    DrawingHost host{drawing};
    RewriteSelectedHoles(host, rules, kRewriteWords);
}

void StepwiseRewrite(Drawing& drawing, const RuleTable& rules) {
    StepwiseRewriteSelectedHoles(drawing, rules);
}

// The plan the preview shows: planning alone (nothing amended), with what it holds. Its
// bytes are those its arrays hold (element size times capacity), without the allocator's own.
void BM_Plan(benchmark::State& state) {
    Drawing& drawing = DrawingWithEntries(state.range(0));
    const RuleTable rules = FullRuleTable();
    DrawingHost host{drawing};
    size_t steps = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        const RewritePlan plan = PlanSelectedHoles(host, rules, kRewriteWords);
        steps = 0;
        bytes = plan.holes.capacity() * sizeof(HoleChange);
        for (const HoleChange& hole : plan.holes) {
            steps += hole.steps.size();
            bytes += hole.steps.capacity() * sizeof(StepChange);
        }
        drawing.ClearLog();
    }
    state.counters["entries"] = static_cast<double>(state.range(0));
    state.counters["changed_steps"] = static_cast<double>(steps);
    state.counters["plan_bytes_per_changed_step"] =
        steps == 0 ? 0.0 : static_cast<double>(bytes) / static_cast<double>(steps);
}

BENCHMARK(BM_Plan)
    ->Name("Plan/module")
    ->RangeMultiplier(10)
    ->Range(10'000, 1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rewrite<ModuleRewrite>)
    ->Name("Rewrite/module")
    ->RangeMultiplier(10)
    ->Range(1'000, 1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rewrite<StepwiseRewrite>)
    ->Name("Rewrite/stepwise")
    ->RangeMultiplier(10)
    ->Range(1'000, 100'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

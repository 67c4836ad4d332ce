// Reading a rule file of a million lines, as the module reads it at the start of the command
// and as a save judges the file it replaces: 48 MB of UTF-16LE, each line 24 code units
// (rules, comments and lines of another field count in turn), nearly all of them beyond
// the 49th rule.
#include <benchmark/benchmark.h>

#include <span>
#include <string>

#include "platform/LegacyCodePage.h"
#include "rules/RuleFileFormat.h"
#include "rules/RuleStore.h"

namespace {

constexpr int kLines = 1'000'000;

// Each line 22 characters and CR LF.
constexpr char16_t kLineKinds[][23] = {
    u"1\t101\t199\t8.1\t8.99\t8.5",     // a rule
    u"0\t201\t\t5.0\t5.5\t5.2    ",     // a disabled rule, blanks after the new diameter
    u"# 드릴 교체 (공장 규칙) ------",  // a comment
    u"1\t301\t\t10\t\t10.2\t메모    ",  // seven fields
};

const std::string& MillionLineFile() {
    static const std::string file = [] {
        std::string bytes = "\xFF\xFE";
        bytes.reserve(2 + static_cast<size_t>(kLines) * 48);
        for (int n = 0; n < kLines; ++n) {
            const std::u16string_view line = kLineKinds[n % 4];
            for (const char16_t unit : std::u16string(line) + u"\r\n") {
                bytes.push_back(static_cast<char>(unit & 0xFF));
                bytes.push_back(static_cast<char>(unit >> 8));
            }
        }
        return bytes;
    }();
    return file;
}

std::span<const unsigned char> Bytes(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

void BM_LoadRuleFile(benchmark::State& state) {
    const std::string& file = MillionLineFile();
    const LegacyTextDecoder legacy = SystemCodePageDecoder();
    RuleTable table;
    for (auto _ : state) {
        const RuleFileReadResult read = DecodeRuleFile(Bytes(file), table, legacy);
        benchmark::DoNotOptimize(read.ignoredLines);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

void BM_JudgeReplacedFile(benchmark::State& state) {
    const std::string& file = MillionLineFile();
    for (auto _ : state) benchmark::DoNotOptimize(HoldsLinesNotCarried(Bytes(file)));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

BENCHMARK(BM_LoadRuleFile)->Name("RuleFile/load-1e6-lines")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JudgeReplacedFile)
    ->Name("RuleFile/kept-copy-decision-1e6-lines")
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

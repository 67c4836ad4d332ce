// The journal's cost: event 0 through the in-process stand-in host with and without the
// journal (this user's own file and the seat's file in a rule folder, as the module appends
// them), with the bytes each changed step takes in each file and the rise in peak memory; and
// quillet-rules journal over about 1 GB of journals.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "BenchDrawing.h"
#include "command/HoleCommand.h"
#include "command/RewriteJournal.h"
#include "journal/SeatJournal.h"
#include "journal/Sha256.h"
#include "platform/SystemFilePort.h"
#include "rules/RuleFileFormat.h"
#include "standin/Drawing.h"
#include "texts/RewriteTexts.h"
#include "workbench/Workbench.h"

namespace fs = std::filesystem;

namespace {

RuleTable FullRuleTable() {
    return BenchRules(u"7.0", u"10.0");
}

Drawing& DrawingWithEntries(int64_t entries) {
    return BenchDrawingWithEntries(entries, FullRuleTable());
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

fs::path FreshFolder(const char* name) {
    const fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder / "rules" / "journal");
    fs::create_directories(folder / "own");
    return folder;
}

JournalAct ActNow(const std::string& id) {
    JournalAct act;
    act.time = TimestampOfLocal({2024, 5, 6, 9, 0, 0, 0}, 540);
    act.user = "kimjh";
    act.computer = "CAM-3";
    act.actId = act.rewriteId = id;
    act.ruleFile = "S:\\cam\\Quillet.def";
    return act;
}

// Event 0 on the drawing; with the journal, the act appended as the module does.
void BM_Event0(benchmark::State& state, bool journal) {
    Drawing& drawing = DrawingWithEntries(state.range(0));
    const RuleTable rules = FullRuleTable();
    const std::string table = EncodeRuleFile(rules);
    const TableToKeep kept{Sha256Hex(table), table};
    SystemFilePort files;
    const double peakBefore = PeakMegabytes();
    uint64_t steps = 0, bytes = 0;
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path folder = FreshFolder("journal-bench");
        const SeatJournals journals{(folder / "own/journal.csv").u16string(),
                                    (folder / "rules/journal/CAM-3.csv").u16string(),
                                    (folder / "rules/journal").u16string(), true};
        state.ResumeTiming();
        DrawingHost host{drawing};
        const RewriteRecord done = RewriteSelectedHoles(host, rules, kRewriteWords);
        if (journal) {
            JournalAct act = ActNow("0000000000" + std::to_string(10 + n++ % 90));
            act.ruleFileSha256 = kept.sha256;
            const std::vector<JournalMiss> misses =
                RecordAct(files, journals, act, HoleChangeRows(done.holes), kept);
            if (!misses.empty()) state.SkipWithError("the journal missed the act");
        }
        state.PauseTiming();
        for (const HoleChange& hole : done.holes) steps += hole.steps.size();
        for (const auto& entry : fs::recursive_directory_iterator(folder / "own")) {
            if (entry.is_regular_file() && entry.path().extension() == ".csv")
                bytes += entry.file_size();
        }
        drawing.ClearLog();
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(state.range(0));
    state.counters["steps"] = static_cast<double>(steps) / static_cast<double>(state.iterations());
    state.counters["bytes_per_step"] =
        steps ? static_cast<double>(bytes) / static_cast<double>(steps) : 0;
    state.counters["peak_rise_MB"] = PeakMegabytes() - peakBefore;
}

class NullBuffer final : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// Eight seats, each a current file and those rolled over from it, about 1 GB in all.
fs::path GigabyteOfJournals() {
    const fs::path folder = fs::temp_directory_path() / "journal-bench-read";
    if (fs::exists(folder / "ready")) return folder;
    fs::remove_all(folder);
    fs::create_directories(folder / "journal");
    SystemFilePort files;
    std::vector<HoleChange> holes;
    RuleSet rules;
    rules.Add(7);
    for (int32_t h = 1; h <= 10'000; ++h) {
        HoleChange& hole = holes.emplace_back(HoleChange{h, {}});
        for (int32_t s = 1; s <= 10; ++s) hole.steps.push_back({s, 116, 8.25, 8.5, rules});
    }
    uint64_t written = 0;
    for (int act = 0; written < (uint64_t{1} << 30); ++act) {
        const std::string seat = "CAM-" + std::to_string(act % 8);
        JournalAct journalAct = ActNow(std::to_string(100'000'000'000 + act));
        journalAct.computer = seat;
        journalAct.time.utcMilliseconds += int64_t{act} * 60'000;
        const FilePath path = (folder / "journal" / (seat + ".csv")).u16string();
        AppendJournalAct(files, path, journalAct, HoleChangeRows(holes));
        written += 100'000 * 88;
    }
    std::ofstream(folder / "ready") << "";
    return folder;
}

void BM_JournalRead(benchmark::State& state, std::vector<std::string> filters) {
    const fs::path folder = GigabyteOfJournals();
    uint64_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder / "journal")) bytes += entry.file_size();
    SystemFilePort files;
    NullBuffer null;
    std::ostream out(&null);
    const double peakBefore = PeakMegabytes();
    std::vector<std::string> args = {"journal", folder.string()};
    args.insert(args.end(), filters.begin(), filters.end());
    for (auto _ : state) {
        std::ostream err(&null);
        if (RunWorkbench(args, out, err, files) != 0) state.SkipWithError("journal failed");
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_rise_MB"] = PeakMegabytes() - peakBefore;
}

BENCHMARK_CAPTURE(BM_Event0, plain, false)
    ->Name("Event0/plain")
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_Event0, journal, true)
    ->Name("Event0/journal")
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_JournalRead, all, std::vector<std::string>{})
    ->Name("JournalRead/1GB/all")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_JournalRead, question,
                  std::vector<std::string>{"--rule", "7", "--computer", "CAM-3", "--since",
                                           "2024-05-06", "--until", "2024-05-12", "--details"})
    ->Name("JournalRead/1GB/rule7-CAM3-details")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

// The difference of two tables against Explain on each, and diff on the command line.
#include "workbench/RuleDiff.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>

#include "RandomTables.h"
#include "platform/SystemFilePort.h"
#include "rules/RuleFileFormat.h"
#include "workbench/Workbench.h"

namespace fs = std::filesystem;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Every bound of either table's rules and of the difference's pieces, with its neighbours.
std::pair<std::set<int32_t>, std::vector<double>> ProbesOf(const RuleTable& a, const RuleTable& b,
                                                           const std::vector<DiffSegment>& diff) {
    std::set<int32_t> codes{INT32_MIN, INT32_MAX};
    std::vector<double> diameters{-kInf, kInf, 0.0, -0.0, std::nan("")};
    const auto add = [&](int64_t code, std::initializer_list<double> bounds) {
        for (const int64_t c : {code - 1, code, code + 1}) {
            codes.insert(static_cast<int32_t>(std::clamp<int64_t>(c, INT32_MIN, INT32_MAX)));
        }
        for (const double d : bounds) {
            diameters.insert(diameters.end(),
                             {std::nextafter(d, -kInf), d, std::nextafter(d, kInf)});
        }
    };
    for (const RuleTable* table : {&a, &b}) {
        for (const RuleNumbers& n : NumbersOf(*table)) {
            add(n.codeFrom, {n.diameterLow, n.diameterHigh, n.newDiameter});
            add(n.codeTo, {});
        }
    }
    for (const DiffSegment& segment : diff) {
        add(segment.codeTo, {});
        for (const DiffChange& change : segment.changes)
            add(segment.codeFrom, {change.low, change.high});
    }
    return {codes, diameters};
}

StepOutcome OutcomeOf(const Explanation& explanation) {
    StepOutcome outcome;
    if (!explanation.changed) return outcome;
    outcome.changed = true;
    outcome.result = explanation.result;
    for (const ExplainStep& step : explanation.steps) {
        if (step.matched) outcome.rules.push_back(step.rule);
    }
    return outcome;
}

std::vector<const DiffChange*> Lookup(const std::vector<DiffSegment>& diff, int32_t code,
                                      double diameter) {
    std::vector<const DiffChange*> hits;
    for (const DiffSegment& segment : diff) {
        if (code < segment.codeFrom || code > segment.codeTo) continue;
        for (const DiffChange& change : segment.changes) {
            if (change.low <= diameter && diameter <= change.high) hits.push_back(&change);
        }
    }
    return hits;
}

TEST(RuleDiff, AgreesWithExplainOnBothTablesAtEveryProbedPoint) {
    int same = 0;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        RandomTables random(seed);
        const RuleTable before = random.Table();
        const RuleTable after = seed % 5 == 0 ? random.Table() : random.Edited(before);
        const std::vector<DiffSegment> diff = DiffRules(before, after);
        same += diff.empty();
        const auto [codes, diameters] = ProbesOf(before, after, diff);
        for (const int32_t code : codes) {
            for (const double diameter : diameters) {
                const StepOutcome a = OutcomeOf(Explain(before, code, diameter));
                const StepOutcome b = OutcomeOf(Explain(after, code, diameter));
                const bool differ = a.changed != b.changed || std::bit_cast<uint64_t>(a.result) !=
                                                                  std::bit_cast<uint64_t>(b.result);
                const auto hits = Lookup(diff, code, diameter);
                const auto where = [&] {
                    return "seed " + std::to_string(seed) + " code " + std::to_string(code) +
                           " diameter " + std::to_string(diameter);
                };
                ASSERT_EQ(hits.size(), differ ? 1u : 0u) << where();
                if (differ) {
                    EXPECT_EQ(hits[0]->before, a) << where();
                    EXPECT_EQ(hits[0]->after, b) << where();
                }
            }
        }
    }
    // The edits leave some pairs acting alike and change others.
    EXPECT_GT(same, 10);
    EXPECT_LT(same, 250);
    // Results compare bit for bit: 8.5 and 8.50000000000000001 are one double, 8.5 and
    // 8.500000000000002 are two.
    RuleTable same1, same2, other;
    same1.Append({1, u"101", u"", u"8", u"", u"8.5"});
    same2.Append({1, u"101", u"", u"8", u"", u"8.50000000000000001"});
    other.Append({1, u"101", u"", u"8", u"", u"8.500000000000002"});
    EXPECT_TRUE(DiffRules(same1, same2).empty());
    EXPECT_EQ(DiffRules(same1, other).size(), 1u);
}

TEST(RuleDiff, ReportsSameForAFileAndItsCsvRoundTrip) {
    std::string pattern = (fs::temp_directory_path() / "rule-diff-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    const auto path = [&](const char* name) { return (folder / name).string(); };
    const auto run = [](std::vector<std::string> args, std::string* out = nullptr) {
        std::ostringstream text, errors;
        SystemFilePort files;
        const int status = RunWorkbench(args, text, errors, files);
        if (out) *out = text.str();
        return status;
    };
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        RandomTables random(seed);
        const RuleTable table = random.Table();
        std::ofstream(path("old.def"), std::ios::binary) << EncodeRuleFile(table);
        fs::remove(path("new.def"));
        ASSERT_EQ(run({"export", path("old.def"), "-o", path("rules.csv")}), kExitClean);
        ASSERT_EQ(
            run({"import", path("rules.csv"), "-o", path("new.def"), "--force", "--allow-empty"}),
            kExitClean);
        std::string out;
        EXPECT_EQ(run({"diff", path("old.def"), path("new.def"), "--json"}, &out), kExitClean);
        EXPECT_EQ(out, "{\"same\":true,\"segments\":[],\"picture\":null}\n") << seed;
    }
    // A one-rule change is reported with exit 1 and says from what to what.
    RuleTable before, after;
    before.Append({1, u"101", u"120", u"8.1", u"8.99", u"8.5"});
    after.Append({1, u"101", u"120", u"8.1", u"8.99", u"8.6"});
    std::ofstream(path("old.def"), std::ios::binary) << EncodeRuleFile(before);
    std::ofstream(path("new.def"), std::ios::binary) << EncodeRuleFile(after);
    std::string out;
    EXPECT_EQ(run({"diff", path("old.def"), path("new.def")}, &out), 1);
    EXPECT_NE(out.find("코드 101 ~ 120\n  지름 8.1 이상 8.99 이하: 8.5 (규칙 1) → 8.6 (규칙 1)\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(run({"diff", path("old.def")}), kExitUsage);
    EXPECT_EQ(run({"diff", path("old.def"), path("missing.def")}), kExitFileFailed);
    fs::remove_all(folder);
}

}  // namespace

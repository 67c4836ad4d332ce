// The workbench's analysis against the module's own rewrite, and the findings it reports.
#include "workbench/RuleAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "rules/CompiledRules.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

RuleText Text(std::string_view s) {
    return RuleText(s.begin(), s.end());
}

// Random tables of overlapping, reversed, empty, letter-only, partial and overflowing texts,
// some rules disabled.
class RandomTable {
public:
    explicit RandomTable(uint32_t seed) : random_(seed) {}

    RuleTable Make() {
        RuleTable table;
        for (int i = Pick(0, 12); i > 0; --i) {
            table.Append({Pick(0, 3), Code(), Code(), Diameter(), Diameter(), Diameter()});
        }
        return table;
    }
    int Pick(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }

private:
    RuleText Code() {
        static const char* const odd[] = {"",           " ",          "abc",         "103abc",
                                          "-5",         "+104",       "99999999999", "-99999999999",
                                          "2147483647", "-2147483648"};
        return Pick(0, 2) == 0 ? Text(odd[Pick(0, 9)]) : Text(std::to_string(Pick(97, 113)));
    }
    RuleText Diameter() {
        static const char* const texts[] = {
            "",      "abc",    "0",      "-0",      "8,5",      "8.1mm",
            "1e400", "-1e400", "1e-400", "-1e-400", "4.9e-324", "1.7976931348623157e308",
            "7.9",   "8",      "8.1",    "8.5",     "8.99",     "9",
            "10",    "-1"};
        return Text(texts[Pick(0, 19)]);
    }

    std::mt19937 random_;
};

// Every bound of every rule and its neighbours (the binary64 ones for diameters), the ends of
// both axes, zeros of both signs, NaN, and a few random points.
struct Probes {
    std::vector<int32_t> codes;
    std::vector<double> diameters;
};
Probes ProbesOf(const std::vector<RuleNumbers>& rules, RandomTable& random) {
    Probes probes{{INT32_MIN, INT32_MAX, random.Pick(90, 120)},
                  {-kInf, kInf, 0.0, -0.0, std::numeric_limits<double>::quiet_NaN(),
                   random.Pick(-200, 1200) / 100.0}};
    for (const RuleNumbers& n : rules) {
        for (int32_t bound : {n.codeFrom, n.codeTo}) {
            probes.codes.insert(probes.codes.end(), {bound, std::max(bound, INT32_MIN + 1) - 1,
                                                     std::min(bound, INT32_MAX - 1) + 1});
        }
        for (double bound : {n.diameterLow, n.diameterHigh, n.newDiameter}) {
            probes.diameters.insert(probes.diameters.end(), {std::nextafter(bound, -kInf), bound,
                                                             std::nextafter(bound, kInf)});
        }
    }
    // std::unique: clang 14 cannot compile the subrange std::ranges::unique returns.
    std::ranges::sort(probes.codes);
    probes.codes.erase(std::unique(probes.codes.begin(), probes.codes.end()), probes.codes.end());
    // Distinct bit patterns, so that both zeros stay.
    const auto bits = [](double d) { return std::bit_cast<uint64_t>(d); };
    std::ranges::sort(probes.diameters, {}, bits);
    probes.diameters.erase(std::unique(probes.diameters.begin(), probes.diameters.end(),
                                       [&](double a, double b) { return bits(a) == bits(b); }),
                           probes.diameters.end());
    return probes;
}

bool SameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// Every change of the map that holds the point: one when the map is right and the step changes.
std::vector<const MapChange*> Lookup(const std::vector<MapSegment>& map, int32_t code,
                                     double diameter) {
    std::vector<const MapChange*> hits;
    for (const MapSegment& segment : map) {
        if (code < segment.codeFrom || code > segment.codeTo) continue;
        for (const MapChange& change : segment.changes) {
            if (change.low <= diameter && diameter <= change.high) hits.push_back(&change);
        }
    }
    return hits;
}

TEST(RuleAnalysis, ExplainAndMapAgreeWithTheModuleOnEveryProbedPoint) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        RandomTable random(seed);
        const RuleTable table = random.Make();
        const RuleMatcher matcher(table);
        const std::vector<MapSegment> map = MapRules(table);
        const std::vector<RuleNumbers> numbers = NumbersOf(table);
        const Probes probes = ProbesOf(numbers, random);
        for (int32_t code : probes.codes) {
            for (double diameter : probes.diameters) {
                const RuleMatcher::Rewritten rewritten = matcher.Rewrite(code, diameter);
                const double expected = rewritten.diameter;
                const bool changed = rewritten.rules != 0;
                // Evaluated only when an assertion fails.
                const auto where = [&] {
                    return "seed " + std::to_string(seed) + " code " + std::to_string(code) +
                           " diameter " + std::to_string(diameter);
                };

                const Explanation explanation = Explain(table, code, diameter);
                ASSERT_TRUE(SameBits(explanation.result, expected)) << where();
                ASSERT_EQ(explanation.changed, changed) << where();
                ASSERT_EQ(explanation.steps.size(), numbers.size()) << where();
                std::vector<int> matched;
                for (const ExplainStep& step : explanation.steps) {
                    ASSERT_EQ(step.enabled, numbers[static_cast<size_t>(step.rule - 1)].enabled);
                    ASSERT_TRUE(step.enabled || !step.matched) << where();
                    if (step.matched) matched.push_back(step.rule);
                }
                uint64_t matchedBits = 0;
                for (const int rule : matched) matchedBits |= uint64_t{1} << (rule - 1);
                ASSERT_EQ(rewritten.rules, matchedBits) << where();

                const std::vector<const MapChange*> hits = Lookup(map, code, diameter);
                ASSERT_EQ(hits.size(), changed ? 1u : 0u) << where();
                if (changed) {
                    ASSERT_TRUE(SameBits(hits[0]->result, expected)) << where();
                    ASSERT_EQ(hits[0]->rules, matched) << where();
                }
            }
        }
    }
}

// Rules written as "on|CodeFrom|CodeTo|DiameterFrom|DiameterTo|DiameterModify", one per
// string; the findings as "rule code-word" in the order CheckRules gives them.
std::string FindingsOf(std::initializer_list<std::string_view> rules) {
    RuleTable table;
    for (std::string_view line : rules) {
        std::vector<RuleText> f;
        for (size_t start = 0, bar = 0; bar != line.npos; start = bar + 1) {
            bar = line.find('|', start);
            f.push_back(Text(line.substr(start, bar - start)));
        }
        table.Append({f[0] == u"1", f[1], f[2], f[3], f[4], f[5]});
    }
    std::string codes;
    for (const Finding& finding : CheckRules(table)) {
        codes += (codes.empty() ? "" : ", ") + std::to_string(finding.rule) + " " + finding.code;
        EXPECT_FALSE(finding.message.empty());
    }
    return codes;
}

TEST(RuleAnalysis, CheckRulesReportsEachFinding) {
    // Blank To fields and trailing blanks are fine.
    EXPECT_EQ(FindingsOf({"1|101| |8.5 ||9"}), "");
    EXPECT_EQ(FindingsOf({"1|101||8,5||9"}), "1 partial-number");
    EXPECT_EQ(FindingsOf({"1|101a||8|9|8.5"}), "1 partial-number");
    EXPECT_EQ(FindingsOf({"1|||8|9|8.5"}), "1 no-number");
    EXPECT_EQ(FindingsOf({"1|101|abc|8|9|8.5"}), "1 no-number");
    EXPECT_EQ(FindingsOf({"1|101||8|9|"}), "1 no-number, 1 not-in-force");
    EXPECT_EQ(FindingsOf({"1|101||8|9|1e309"}), "1 not-finite, 1 not-in-force");
    EXPECT_EQ(FindingsOf({"1|101||8|9|-2.5"}), "1 implausible-diameter, 1 not-in-force");
    EXPECT_EQ(FindingsOf({"1|101||8|9|8.5 9"}), "1 not-in-force, 1 partial-number");
    // A rule not in force shadows nothing.
    EXPECT_EQ(FindingsOf({"1|101||8|9|0", "1|101||8|9|10"}),
              "1 implausible-diameter, 1 not-in-force");
    EXPECT_EQ(FindingsOf({"1|200|100|8|9|8.5"}), "1 reversed-range");
    EXPECT_EQ(FindingsOf({"1|101||9|8|8.5"}), "1 reversed-range");
    // Rule 1 rewrites rule 2's whole range on all of rule 2's codes, then on part of them only.
    EXPECT_EQ(FindingsOf({"1|101|199|8|9|10", "1|150|160|8.5|8.9|8.6"}), "2 never-applies");
    EXPECT_EQ(FindingsOf({"1|101|199|8|9|10", "1|150|250|8.5|8.9|8.6"}), "");
    EXPECT_EQ(FindingsOf({"1|101|199|8|9|9.5", "1|150|300|9.5|10|10"}), "2 chained");
    // The same numbers from other texts; rule 1 writes 9, which rule 2 cannot match.
    EXPECT_EQ(FindingsOf({"1|101||8.5||9", "1|101|0|8.50|0|9.0"}), "2 duplicate, 2 never-applies");
    // A disabled rule shadows nothing.
    EXPECT_EQ(FindingsOf({"0|101||8|9|10", "1|101||8|9|10"}), "1 disabled");
    EXPECT_EQ(FindingsOf({"0|||9|8|0", "1|5x||1||2"}),
              "1 disabled, 1 implausible-diameter, 1 no-number, 1 not-in-force, 1 reversed-range, "
              "2 partial-number");
}

}  // namespace

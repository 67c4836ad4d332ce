// The module's rewrite against the step-by-step reference on many random rule tables and
// drawings: the same host calls in the same order, the same messages, the same records.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "command/HoleCommand.h"
#include "standin/Drawing.h"
#include "tests/reference/StepwiseRewrite.h"

namespace {

class RandomCase {
public:
    explicit RandomCase(uint32_t seed) : random_(seed) {}

    RuleTable Rules() {
        RuleTable table;
        const int count = Pick(0, 12);
        for (int i = 0; i < count; ++i) {
            table.Append(HoleRule{Pick(0, 3) == 0 ? 0 : 1, CodeText(), CodeText(), DiameterText(),
                                  DiameterText(), DiameterText()});
        }
        return table;
    }

    void Fill(Drawing& drawing) {
        const int holes = Pick(0, 25);
        int32_t element = 1;
        for (int32_t id = 1; id <= holes; ++id) {
            std::vector<StepSpec> steps(static_cast<size_t>(Pick(0, 6)));
            for (StepSpec& step : steps) step = {Pick(98, 112), Diameter()};
            drawing.AddHole(id * 3, Pick(0, 6) == 0, steps);
            for (int e = Pick(1, 3); e > 0; --e) drawing.AddElement(id % 4, element++, id * 3);
        }
        for (int loose = Pick(0, 2); loose > 0; --loose) drawing.AddElement(9, element++, kNoHole);
        for (int picks = Pick(0, 40); picks > 0; --picks) {
            const int32_t number = Pick(1, element + 1);  // sometimes an unknown element
            drawing.Select(number % 4 == 0 ? 9 : Pick(0, 3), number);
        }
        if (Pick(0, 3) == 0) drawing.SelectAll();
        if (Pick(0, 8) == 0) drawing.FailCall("KepHolGetHoleData", Pick(1, 6));
        if (Pick(0, 8) == 0) drawing.FailCall("KepHolAmendHoleData", Pick(1, 6));
        if (Pick(0, 12) == 0) drawing.FailCall("KepIddOpenSelIdData", 1);
        if (Pick(0, 12) == 0) drawing.FailCall("KepHolGetHoleId", Pick(1, 6));
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }

    RuleText Text(const std::string& s) { return RuleText(s.begin(), s.end()); }

    RuleText CodeText() {
        static const char* const fixed[] = {"",   "abc",  "0",           " 101",        "103abc",
                                            "-5", "+104", "99999999999", "-99999999999"};
        if (Pick(0, 2) == 0) return Text(fixed[Pick(0, 8)]);
        return Text(std::to_string(Pick(97, 113)));
    }

    double Diameter() {
        static const double values[] = {0.0, 7.9, 8.0, 8.1, 8.3, 8.5, 8.99, 9.0, 10.0, -1.0};
        return values[Pick(0, 9)];
    }

    RuleText DiameterText() {
        static const char* const fixed[] = {
            "",    "abc",    "0",      "8.1mm", " 8.5",  "8.99", "9.00",
            "8e0", ".81e1",  "-1",     "1e400", "8.5 9", "8 .5", "8.5 ",
            "\t9", "1e-320", "0.0001", "1e-4x", "1e300", "1e5",  "100000.000000001"};
        if (Pick(0, 1) == 0) return Text(fixed[Pick(0, 20)]);
        const std::string text = std::to_string(Diameter());
        return Text(text);
    }

    std::mt19937 random_;
};

void ExpectSameHoles(const Drawing& module, const Drawing& reference) {
    ASSERT_EQ(module.HoleIds(), reference.HoleIds());
    for (int32_t id : module.HoleIds()) {
        const HoleRecord* a = module.FindHole(id);
        const HoleRecord* b = reference.FindHole(id);
        ASSERT_EQ(std::memcmp(a, b, offsetof(HoleRecord, steps)), 0) << id;
        ASSERT_EQ(module.AmendCount(id), reference.AmendCount(id)) << id;
        for (int32_t s = 0; s < a->stepCount; ++s) {
            ASSERT_EQ(std::memcmp(&a->steps[s], &b->steps[s], sizeof(HoleStep)), 0) << id;
        }
    }
}

TEST(DifferentialRewrite, ModuleAndReferenceAgreeOnRandomTablesAndDrawings) {
    for (uint32_t seed = 1; seed <= 20000; ++seed) {
        RandomCase forTable(seed);
        const RuleTable rules = forTable.Rules();
        Drawing module, reference;
        RandomCase(seed * 7919).Fill(module);
        RandomCase(seed * 7919).Fill(reference);

        RewriteSelectedHoles(module, rules);
        StepwiseRewriteSelectedHoles(reference, rules);

        ASSERT_EQ(module.Log(), reference.Log()) << "seed " << seed;
        ExpectSameHoles(module, reference);
        if (HasFatalFailure()) FAIL() << "seed " << seed;
    }
}

}  // namespace

// The module's rewrite against the step-by-step reference on many random rule tables and
// drawings (chained rules, excluded holes, holes without steps or without a step array, reads
// and amends failing at any hole), through the stand-in that commits only its own working
// copies: the same host calls in the same order, the same messages, the same records. The
// planned rewrite (the preview's) against both: per hole the steps, rules and diameters the
// reference gives, and once applied the same records and messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "command/HoleChange.h"
#include "command/HoleCommand.h"
#include "command/HoleRewrite.h"
#include "standin/Drawing.h"
#include "tests/reference/StepwiseRewrite.h"
#include "texts/RewriteTexts.h"

namespace {

class RandomCase {
public:
    explicit RandomCase(uint32_t seed) : random_(seed) {}

    RuleTable Rules() {
        RuleTable table;
        const int count = Pick(0, 12);
        for (int i = 0; i < count; ++i) {
            HoleRule rule{Pick(0, 3) == 0 ? 0 : 1, CodeText(),     CodeText(),
                          DiameterText(),          DiameterText(), DiameterText()};
            // A chain: this rule's range starts at what an earlier rule writes.
            if (i > 0 && Pick(0, 2) == 0) {
                rule.DiameterFrom = table.rule(Pick(1, i)).DiameterModify;
                if (Pick(0, 1) == 0) rule.DiameterTo = u"";
            }
            table.Append(rule);
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
            if (Pick(0, 15) == 0) drawing.WithholdStepArray(id * 3, Pick(1, 4));
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
        ASSERT_EQ(a->steps == nullptr, b->steps == nullptr) << id;
        for (int32_t s = 0; a->steps != nullptr && s < a->stepCount; ++s) {
            ASSERT_EQ(std::memcmp(&a->steps[s], &b->steps[s], sizeof(HoleStep)), 0) << id;
        }
    }
}

std::vector<std::string> Messages(const Drawing& drawing) {
    std::vector<std::string> messages;
    for (const std::string& line : drawing.Log()) {
        if (line.starts_with("KepDlgMessageBox") || line.starts_with("KepMsgPut")) {
            messages.push_back(line);
        }
    }
    return messages;
}

// The holes the planning read, in order.
std::vector<int32_t> HolesRead(const Drawing& drawing) {
    std::vector<int32_t> ids;
    for (const std::string& line : drawing.Log()) {
        if (line.starts_with("KepHolGetHoleData(")) ids.push_back(std::stoi(line.substr(18)));
    }
    return ids;
}

// The steps the reference changes in the hole as the drawing holds it now.
HoleChange ReferenceChange(const Drawing& drawing, const RuleTable& rules, int32_t holeId) {
    HoleChange change{holeId, {}};
    const HoleRecord& record = *drawing.FindHole(holeId);
    const std::vector<StepwiseStep> steps = StepwiseSteps(rules, record);
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].rules.empty()) continue;
        StepChange& step = change.steps.emplace_back(StepChange{static_cast<int32_t>(i + 1),
                                                                record.steps[i].code,
                                                                record.steps[i].diameter,
                                                                steps[i].diameter,
                                                                {}});
        for (const int32_t rule : steps[i].rules) step.rules.Add(rule);
    }
    return change;
}

int ChainedSteps(const RewritePlan& plan) {
    int chained = 0;
    for (const HoleChange& hole : plan.holes) {
        for (const StepChange& step : hole.steps) {
            if (step.rules.Numbers().size() > 1) ++chained;
        }
    }
    return chained;
}

bool AnyRefused(const Drawing& drawing) {
    return std::ranges::any_of(drawing.Log(), [](const std::string& line) {
        return line.starts_with("KepHolAmendHoleData refused");
    });
}

TEST(DifferentialRewrite, ModuleAndReferenceAgreeOnRandomTablesAndDrawings) {
    int chained = 0;
    for (uint32_t seed = 1; seed <= 20000; ++seed) {
        RandomCase forTable(seed);
        const RuleTable rules = forTable.Rules();
        Drawing module, reference, planned;
        DrawingHost moduleView{module}, plannedView{planned};
        RandomCase(seed * 7919).Fill(module);
        RandomCase(seed * 7919).Fill(reference);
        RandomCase(seed * 7919).Fill(planned);

        const RewriteRecord rewritten = RewriteSelectedHoles(moduleView, rules, kRewriteWords);
        StepwiseRewriteSelectedHoles(reference, rules);

        ASSERT_EQ(module.Log(), reference.Log()) << "seed " << seed;
        ASSERT_FALSE(AnyRefused(module)) << "seed " << seed;
        ExpectSameHoles(module, reference);

        RewritePlan plan = PlanSelectedHoles(plannedView, rules, kRewriteWords);
        if (plan.status == PlanStatus::ReadFailed) {
            for (int32_t id : planned.HoleIds()) ASSERT_EQ(planned.AmendCount(id), 0);
            ASSERT_EQ(Messages(planned).size(), 2u) << "seed " << seed;
            continue;
        }
        for (int32_t id : HolesRead(planned)) {
            const HoleChange expected = ReferenceChange(planned, rules, id);
            const auto it = std::ranges::find(plan.holes, id, &HoleChange::holeId);
            if (expected.steps.empty()) {
                ASSERT_EQ(it, plan.holes.end()) << "seed " << seed << " hole " << id;
            } else {
                ASSERT_NE(it, plan.holes.end()) << "seed " << seed << " hole " << id;
                ASSERT_EQ(it->steps, expected.steps) << "seed " << seed << " hole " << id;
            }
        }
        chained += ChainedSteps(plan);
        // A read that fails after every hole was planned belongs to 적용, which the reference
        // never reaches; the holes, unchanged since, are applied as planned.
        planned.FailCall("KepHolGetHoleData", -1);
        const RewriteRecord applied = ApplyPlan(plannedView, std::move(plan), kRewriteWords);
        ASSERT_EQ(Messages(planned), Messages(reference)) << "seed " << seed;
        ASSERT_FALSE(AnyRefused(planned)) << "seed " << seed;
        ExpectSameHoles(planned, reference);
        ASSERT_EQ(applied.holes, rewritten.holes) << "seed " << seed;
        ASSERT_TRUE(applied.leftSincePlan.empty()) << "seed " << seed;
        if (HasFatalFailure()) FAIL() << "seed " << seed;
    }
    EXPECT_GT(chained, 1000);  // rules that rewrite what an earlier one wrote are tried
}

}  // namespace

// The undo of a rewrite: which steps go back, what is counted as left and why, and the
// texts shown; the plan's summary text.
#include "command/RewriteUndo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "command/HoleCommand.h"
#include "dialogs/RewriteTexts.h"
#include "standin/Drawing.h"

namespace {

RuleTable OneRule() {
    RuleTable table;
    table.Append({1, u"101", u"", u"8.1", u"8.99", u"8.5"});
    return table;
}

TEST(RewriteUndo, StepGoesBackOnlyWhenItStillHoldsWhatTheRewriteWrote) {
    const StepChange change{2, 101, 8.3, 8.5, {}};
    struct Case {
        const char* what;
        int32_t code;
        double diameter;
        int32_t stepCount;
        bool withArray;
        StepUndo expected;
    };
    const Case cases[] = {
        {"unchanged", 101, 8.5, 2, true, StepUndo::Restore},
        {"diameter changed since", 101, 8.6, 2, true, StepUndo::ChangedSince},
        {"one bit off", 101, std::nextafter(8.5, 9.0), 2, true, StepUndo::ChangedSince},
        {"code changed since", 102, 8.5, 2, true, StepUndo::ChangedSince},
        {"step gone", 101, 8.5, 1, true, StepUndo::ChangedSince},
        {"no step array", 101, 8.5, 2, false, StepUndo::ChangedSince},
    };
    for (const Case& c : cases) {
        std::vector<HoleStep> steps(2);
        steps[1].code = c.code;
        steps[1].diameter = c.diameter;
        HoleRecord now{};
        now.stepCount = c.stepCount;
        now.steps = c.withArray ? steps.data() : nullptr;
        EXPECT_EQ(DecideStepUndo(now, change), c.expected) << c.what;
    }
}

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        const StepSpec first[] = {{101, 8.3}, {101, 8.2}, {200, 8.3}};
        const StepSpec one[] = {{101, 8.4}};
        host.AddHole(1, false, first);
        for (int32_t id = 2; id <= 5; ++id) host.AddHole(id, false, one);
        for (int32_t id = 1; id <= 5; ++id) host.AddElement(1, id * 10, id);
        host.SelectAll();
        point.holes = RewriteSelectedHoles(view, OneRule()).holes;
        point.time = TimestampOfLocal({2024, 5, 1, 14, 3, 7, 0}, 540);
        host.ClearLog();
    }

    // What another act of the user does to a hole after the rewrite.
    void Edit(int32_t holeId, size_t step, double diameter, bool excluded = false) {
        HoleRecord record = *host.FindHole(holeId);
        std::vector<HoleStep> steps(record.steps, record.steps + record.stepCount);
        steps[step].diameter = diameter;
        record.steps = steps.data();
        record.excluded = excluded ? 1 : 0;
        host.KepHolAmendHoleData(holeId, record);
    }
    double Diameter(int32_t holeId, size_t step) const {
        return host.FindHole(holeId)->steps[step].diameter;
    }

    Drawing host;
    DrawingHost view{host};
    UndoPoint point;
};

TEST_F(UndoTest, PutsBackUnchangedStepsLeavesChangedOnesAndAmendsEachHoleOnce) {
    ASSERT_EQ(point.holes.size(), 5u);
    ASSERT_EQ(point.holes[0].steps.size(), 2u);
    Edit(1, 1, 8.7);  // step 2 of hole 1 changed since
    const int32_t amendsBefore = host.AmendCount(1);

    const UndoOutcome outcome = UndoRewrite(view, point);

    EXPECT_EQ(Diameter(1, 0), 8.3);
    EXPECT_EQ(Diameter(1, 1), 8.7);
    EXPECT_EQ(Diameter(1, 2), 8.3);
    EXPECT_EQ(Diameter(5, 0), 8.4);
    EXPECT_EQ(host.AmendCount(1), amendsBefore + 1);
    EXPECT_EQ(outcome.holesRestored, 5);
    EXPECT_EQ(outcome.stepsRestored, 5);
    EXPECT_EQ(outcome.stepsChangedSince, 1);
    ASSERT_EQ(outcome.restored.size(), 5u);
    // For the journal: from what the rewrite wrote back to what the step had.
    const StepChange expected{1, 101, 8.5, 8.3, point.holes[0].steps[0].rules};
    EXPECT_EQ(outcome.restored[0].steps, std::vector<StepChange>{expected});
    EXPECT_EQ(UndoResultText(outcome),
              u"구멍 5개를 되돌렸습니다.\r\n단계 1개는 그 뒤에 바뀌어 그대로 두었습니다.");
}

TEST_F(UndoTest, HolesGoneUnreadableExcludedOrRefusedAreCountedAndTheRestUndone) {
    point.holes.push_back({99, {{1, 101, 8.3, 8.5, {}}}});  // a hole deleted since
    Edit(3, 0, 8.5, /*excluded=*/true);
    Edit(4, 0, 9.9);  // nothing of hole 4 left to put back: not amended
    host.FailCall("KepHolGetHoleData", 2);
    host.FailCall("KepHolAmendHoleData", 2);
    const int32_t amends4 = host.AmendCount(4);

    const UndoOutcome outcome = UndoRewrite(view, point);

    EXPECT_EQ(outcome.holesUnreadable, 2);  // hole 2 (read failing) and hole 99
    EXPECT_EQ(outcome.holesExcluded, 1);
    EXPECT_EQ(outcome.holesRefused, 1);  // hole 5, the second amend
    EXPECT_EQ(outcome.holesRestored, 1);
    EXPECT_EQ(outcome.stepsChangedSince, 1);
    EXPECT_EQ(Diameter(1, 0), 8.3);
    EXPECT_EQ(Diameter(2, 0), 8.5);
    EXPECT_EQ(Diameter(3, 0), 8.5);
    EXPECT_EQ(Diameter(5, 0), 8.5);
    EXPECT_EQ(host.AmendCount(4), amends4);
    EXPECT_EQ(UndoResultText(outcome),
              u"구멍 1개를 되돌렸습니다.\r\n"
              u"단계 1개는 그 뒤에 바뀌어 그대로 두었습니다.\r\n"
              u"구멍 1개는 그 뒤에 수정 제외가 되어 그대로 두었습니다.\r\n"
              u"구멍 2개는 없어졌거나 읽을 수 없어 되돌리지 못했습니다.\r\n"
              u"구멍 1개는 호스트가 수정을 받지 않아 되돌리지 못했습니다.");
    EXPECT_EQ(UndoQuestionText(point),
              u"2024-05-01 14:03:07에 바꾼 구멍 6개를 되돌리겠습니까?\r\n"
              u"그 뒤에 바뀐 단계는 그대로 둡니다.");
}

TEST(RewritePlanText, SummaryCountsHolesStepsAndEachRulesSteps) {
    RuleSet chain, first;
    chain.Add(1);
    chain.Add(7);
    first.Add(1);
    const std::vector<HoleChange> holes = {
        {12, {{1, 101, 8.3, 8.6, chain}, {3, 101, 8.2, 8.5, first}}},
        {14, {{2, 116, 8.3, 8.6, chain}}},
    };
    EXPECT_EQ(PlanSummaryText(SummarizeChanges(holes)),
              u"구멍 2개, 단계 3개를 바꿉니다\r\n규칙 1: 단계 3개, 규칙 7: 단계 2개");
    EXPECT_EQ(PreviewRowTexts(12, holes[0].steps[0]),
              (std::vector<std::u16string>{u"12", u"1", u"101", u"8.3", u"8.6", u"1, 7"}));
}

}  // namespace

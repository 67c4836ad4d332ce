// The undo of a rewrite: which holes go back, what is left and why, the undo points a
// running command keeps, and the texts shown; the plan's summary text.
#include "command/RewriteUndo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "command/HoleRewrite.h"
#include "standin/Drawing.h"
#include "texts/RewriteTexts.h"

namespace {

RuleTable OneRule() {
    RuleTable table;
    table.Append({1, u"101", u"", u"8.1", u"8.99", u"8.5"});
    return table;
}

TEST(RewriteUndo, HoleGoesBackOnlyWhenEveryStepStillHoldsWhatTheRewriteLeft) {
    // The rewrite changed step 2 from 8.3 to 8.5 and left step 1 at 7.0.
    const auto record = [](std::vector<HoleStep>& steps) {
        HoleRecord now{};
        now.stepCount = static_cast<int32_t>(steps.size());
        now.steps = steps.data();
        return now;
    };
    std::vector<HoleStep> left(2);
    left[0].code = 101;
    left[0].diameter = 7.0;
    left[1].code = 101;
    left[1].diameter = 8.5;
    const HoleChange done{3, {{2, 101, 8.3, 8.5, {}}}, PrintOfSteps(record(left))};
    EXPECT_EQ(WhyHoleIsLeft(record(left), done), std::nullopt);

    struct Case {
        const char* what;
        void (*edit)(std::vector<HoleStep>&, HoleRecord&);
        UndoLeft expected;
    };
    const Case cases[] = {
        {"diameter changed since", [](auto& s, auto&) { s[1].diameter = 8.6; },
         UndoLeft::ChangedSince},
        {"one bit off", [](auto& s, auto&) { s[1].diameter = std::nextafter(8.5, 9.0); },
         UndoLeft::ChangedSince},
        {"code changed since", [](auto& s, auto&) { s[1].code = 102; }, UndoLeft::ChangedSince},
        {"a step the rewrite left alone changed", [](auto& s, auto&) { s[0].diameter = 7.1; },
         UndoLeft::ChangedSince},
        {"step gone", [](auto&, auto& r) { r.stepCount = 1; }, UndoLeft::ChangedSince},
        {"no step array", [](auto&, auto& r) { r.steps = nullptr; }, UndoLeft::ChangedSince},
        {"excluded since", [](auto&, auto& r) { r.excluded = 1; }, UndoLeft::Excluded},
    };
    for (const Case& c : cases) {
        std::vector<HoleStep> steps = left;
        HoleRecord now = record(steps);
        c.edit(steps, now);
        EXPECT_EQ(WhyHoleIsLeft(now, done), c.expected) << c.what;
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
        const RewriteRecord done = RewriteSelectedHoles(view, OneRule(), kRewriteWords);
        point = *UndoPointOf(TimestampOfLocal({2024, 5, 1, 14, 3, 7, 0}, 540), "r1", done.holes);
        host.ClearLog();
    }

    double Diameter(int32_t holeId, size_t step) const {
        return host.FindHole(holeId)->steps[step].diameter;
    }

    Drawing host;
    DrawingHost view{host};
    UndoPoint point;
};

TEST_F(UndoTest, PutsBackWholeHolesLeavesOneChangedAnywhereAndAmendsEachHoleOnce) {
    ASSERT_EQ(point.holes.size(), 5u);
    ASSERT_EQ(point.holes[0].steps.size(), 2u);
    host.SetStepDiameter(1, 2, 8.9);  // a step of hole 1 the rewrite left alone
    EXPECT_EQ(HolesNoLongerAsLeft(view, point), 1);
    const int32_t amendsBefore = host.AmendCount(2);

    const UndoOutcome outcome = UndoRewrite(view, point);

    EXPECT_EQ(Diameter(1, 0), 8.5);  // hole 1 is left whole
    EXPECT_EQ(Diameter(1, 2), 8.9);
    EXPECT_EQ(Diameter(2, 0), 8.4);
    EXPECT_EQ(Diameter(5, 0), 8.4);
    EXPECT_EQ(host.AmendCount(2), amendsBefore + 1);
    EXPECT_EQ(outcome.holesRestored, 4);
    EXPECT_EQ(outcome.stepsRestored, 4);
    ASSERT_EQ(outcome.restored.size(), 4u);
    // For the journal: from what the rewrite wrote back to what the step had.
    const StepChange expected{1, 101, 8.5, 8.4, point.holes[1].steps[0].rules};
    EXPECT_EQ(outcome.restored[0].steps, std::vector<StepChange>{expected});
    EXPECT_EQ(UndoResultText(outcome),
              u"구멍 4개를 되돌렸습니다.\r\n구멍 1개는 그 뒤에 바뀌어 그대로 두었습니다 (1).");
    EXPECT_EQ(UndoQuestionText(point, 1),
              u"2024-05-01 14:03:07에 바꾼 구멍 5개를 되돌리겠습니까?\r\n"
              u"그중 구멍 1개는 그 뒤에 바뀌었거나 읽을 수 없어 그대로 둡니다.");
}

TEST_F(UndoTest, HolesGoneUnreadableExcludedOrRefusedAreNamedAndTheRestUndone) {
    point.holes.push_back({99, {{1, 101, 8.3, 8.5, {}}}});  // a hole deleted since
    host.SetExcluded(3, true);
    host.SetStepDiameter(4, 0, 9.9);  // hole 4 changed since: not amended
    host.FailCall("KepHolGetHoleData", 2);
    host.FailCall("KepHolAmendHoleData", 2);
    const int32_t amends4 = host.AmendCount(4);

    const UndoOutcome outcome = UndoRewrite(view, point);

    EXPECT_EQ(outcome.Count(UndoLeft::Unreadable), 2);  // hole 2 (read failing) and hole 99
    EXPECT_EQ(outcome.Count(UndoLeft::Excluded), 1);
    EXPECT_EQ(outcome.Count(UndoLeft::Refused), 1);  // hole 5, the second amend
    EXPECT_EQ(outcome.holesRestored, 1);
    EXPECT_EQ(Diameter(1, 0), 8.3);
    EXPECT_EQ(Diameter(2, 0), 8.5);
    EXPECT_EQ(Diameter(5, 0), 8.5);
    EXPECT_EQ(host.AmendCount(4), amends4);
    EXPECT_EQ(UndoResultText(outcome),
              u"구멍 1개를 되돌렸습니다.\r\n"
              u"구멍 1개는 그 뒤에 바뀌어 그대로 두었습니다 (4).\r\n"
              u"구멍 1개는 그 뒤에 수정 제외가 되어 그대로 두었습니다 (3).\r\n"
              u"구멍 2개는 없어졌거나 읽을 수 없어 되돌리지 못했습니다 (2, 99).\r\n"
              u"구멍 1개는 호스트가 수정을 받지 않아 되돌리지 못했습니다 (5).");
    EXPECT_EQ(LeftHolesText(outcome), "changed:4;excluded:3;gone:2,99;refused:5");
    EXPECT_EQ(LeftHolesText(outcome, 1), "changed:4;excluded:3;gone:2,+1;refused:5");
}

TEST(UndoHistory, KeepsOnlyRewritesThatChangedAValueNewestFirstUpToTheDepth) {
    const HoleChange same{1, {{1, 101, 8.5, 8.5, {}}}};
    const HoleChange changed{2, {{1, 101, 8.3, 8.5, {}}, {2, 101, 8.5, 8.5, {}}}};
    EXPECT_EQ(UndoPointOf({}, "same", {same}), std::nullopt);
    const std::optional<UndoPoint> point = UndoPointOf({}, "both", {same, changed});
    ASSERT_TRUE(point);
    ASSERT_EQ(point->holes.size(), 1u);  // only what can be put back is kept
    EXPECT_EQ(point->holes[0].steps.size(), 1u);

    UndoHistory history;
    for (int i = 1; i <= 12; ++i) history.Push({{}, std::to_string(i), {changed}});
    EXPECT_EQ(history.size(), UndoHistory::kDepth);
    EXPECT_EQ(history.TakeNewest().rewriteId, "12");
    EXPECT_EQ(history.Newest().rewriteId, "11");
    history.Clear();
    EXPECT_TRUE(history.empty());
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

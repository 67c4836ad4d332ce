#include "command/HoleCommand.h"
#include "command/HoleRewrite.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/TextEncoding.h"
#include "standin/Drawing.h"
#include "texts/RewriteTexts.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using Lines = std::vector<std::string>;

RuleTable Rules(std::initializer_list<HoleRule> rules) {
    RuleTable table;
    for (const auto& rule : rules) table.Append(rule);
    return table;
}

void AddHole(Drawing& drawing, int32_t id, std::initializer_list<StepSpec> steps,
             bool excluded = false) {
    ASSERT_TRUE(drawing.AddHole(id, excluded, std::vector<StepSpec>(steps)));
}

double Diameter(const Drawing& drawing, int32_t id, int32_t step) {
    return drawing.FindHole(id)->steps[step].diameter;
}

std::string BoxLine(std::u16string_view text) {
    return "KepDlgMessageBox(\"" + Utf8FromUtf16(text, SurrogateForm::Replaced) + "\")";
}

std::string ErrorLine(std::u16string_view text) {
    return "KepMsgPutErrorMessage(\"" + Utf8FromUtf16(text, SurrogateForm::Replaced) + "\")";
}

// The host messages of the log, in order.
Lines Messages(const Drawing& drawing) {
    Lines messages;
    std::ranges::copy_if(drawing.Log(), std::back_inserter(messages), [](const std::string& line) {
        return line.starts_with("KepDlgMessageBox") || line.starts_with("KepMsgPut");
    });
    return messages;
}

// The reads and amendments of hole records, in order.
Lines RecordCalls(const Drawing& drawing) {
    Lines calls;
    std::ranges::copy_if(drawing.Log(), std::back_inserter(calls), [](const std::string& line) {
        return line.starts_with("KepHolGetHoleData") || line.starts_with("KepHolAmendHoleData");
    });
    return calls;
}

const std::string kNoMatch = BoxLine(texts::kNoMatchingHole);

class RewriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddHole(host, 1, {{101, 8.1}, {150, 8.99}, {199, 8.5}, {200, 8.5}, {101, 9.0}});
        AddHole(host, 2, {{101, 8.3}});
        AddHole(host, 3, {{101, 8.3}}, /*excluded=*/true);
        host.AddElement(1, 11, 1);
        host.AddElement(1, 12, 1);
        host.AddElement(2, 21, 2);
        host.AddElement(2, 31, 3);
        host.AddElement(5, 99, kNoHole);
    }
    Drawing host;
    DrawingHost view{host};
    const RuleTable rangeRule = Rules({{1, u"101", u"199", u"8.1", u"8.99", u"7"}});
};

TEST_F(RewriteTest, RewritesInclusiveRangesAndCountsEachHoleOnceInSelectionOrder) {
    host.Select(2, 21);
    host.Select(1, 11);
    host.Select(5, 99);  // an element of no hole
    host.Select(1, 12);
    host.Select(3, 11);  // element 11 is in segment 1, not 3
    host.Select(1, 11);
    RewriteSelectedHoles(view, rangeRule, kRewriteWords);
    EXPECT_EQ(Diameter(host, 1, 0), 7.0);
    EXPECT_EQ(Diameter(host, 1, 1), 7.0);
    EXPECT_EQ(Diameter(host, 1, 2), 7.0);
    EXPECT_EQ(Diameter(host, 1, 3), 8.5);  // code 200 outside
    EXPECT_EQ(Diameter(host, 1, 4), 9.0);  // diameter outside
    EXPECT_EQ(Diameter(host, 2, 0), 7.0);
    EXPECT_EQ(host.AmendCount(1), 1);
    EXPECT_EQ(ChangedHolesMessage(kRewriteWords, 2), u"총 2개의 구멍을 수정하였습니다.");
    const Lines expected = {
        "KepIddOpenSelIdData(1)",     "KepIddGetHeadSelIdData(sel1)",
        "KepHolGetHoleId(21,2)",      "KepIddGetNextSelIdData(sel1)",
        "KepHolGetHoleId(11,1)",      "KepIddGetNextSelIdData(sel1)",
        "KepHolGetHoleId(99,5)",      "KepIddGetNextSelIdData(sel1)",
        "KepHolGetHoleId(12,1)",      "KepIddGetNextSelIdData(sel1)",
        "KepHolGetHoleId(11,3)",      "KepIddGetNextSelIdData(sel1)",
        "KepHolGetHoleId(11,1)",      "KepIddGetNextSelIdData(sel1)",
        "KepIddCloseSelIdData(sel1)", "KepHolGetHoleData(2)",
        "KepHolAmendHoleData(2)",     "KepHolGetHoleData(1)",
        "KepHolAmendHoleData(1)",     BoxLine(ChangedHolesMessage(kRewriteWords, 2))};
    EXPECT_EQ(host.Log(), expected);
}

TEST_F(RewriteTest, EmptySelectionOrNoSelectionListReportsNoMatchingHole) {
    RewriteSelectedHoles(view, rangeRule, kRewriteWords);
    EXPECT_THAT(host.Log(), ElementsAre("KepIddOpenSelIdData(1)", "KepIddGetHeadSelIdData(sel1)",
                                        "KepIddCloseSelIdData(sel1)", kNoMatch));

    host.ClearLog();
    host.Select(1, 11);
    host.FailCall("KepIddOpenSelIdData", 1);  // a null handle: neither Get nor Close
    RewriteSelectedHoles(view, rangeRule, kRewriteWords);
    EXPECT_THAT(host.Log(), ElementsAre("KepIddOpenSelIdData(1)", kNoMatch));
}

TEST_F(RewriteTest, ExcludedHolesAndHolesWithoutMatchingStepsAreReadButNotAmended) {
    host.Select(2, 31);
    RewriteSelectedHoles(view, rangeRule, kRewriteWords);
    EXPECT_EQ(Diameter(host, 3, 0), 8.3);
    EXPECT_THAT(RecordCalls(host), ElementsAre("KepHolGetHoleData(3)"));
    EXPECT_THAT(Messages(host), ElementsAre(kNoMatch));

    host.ClearLog();
    host.ClearSelection();
    host.SelectAll();
    RewriteSelectedHoles(view, Rules({{1, u"101", u"", u"9.5", u"10", u"9.7"}}), kRewriteWords);
    EXPECT_THAT(RecordCalls(host), ElementsAre("KepHolGetHoleData(1)", "KepHolGetHoleData(2)",
                                               "KepHolGetHoleData(3)"));
    EXPECT_THAT(Messages(host), ElementsAre(kNoMatch));
}

TEST_F(RewriteTest, RuleSemantics) {
    struct Case {
        const char* name;
        HoleRule rule;
        double expected;  // new diameter of a step with code 101, diameter 8.3
    };
    const Case cases[] = {
        {"single code", {1, u"101", u"", u"8", u"9", u"1"}, 1.0},
        {"other single code", {1, u"102", u"", u"8", u"9", u"1"}, 8.3},
        {"exact diameter", {1, u"101", u"101", u"8.3", u"", u"1"}, 1.0},
        {"other exact diameter", {1, u"101", u"101", u"8.31", u"", u"1"}, 8.3},
        {"lower bounds", {1, u"101", u"102", u"8.3", u"9", u"1"}, 1.0},
        {"upper bounds", {1, u"100", u"101", u"8", u"8.3", u"1"}, 1.0},
        {"code above", {1, u"90", u"100", u"8", u"9", u"1"}, 8.3},
        {"diameter above", {1, u"101", u"101", u"8", u"8.29", u"1"}, 8.3},
        {"disabled", {0, u"101", u"199", u"8", u"9", u"1"}, 8.3},
        {"reversed codes", {1, u"199", u"101", u"8", u"9", u"1"}, 8.3},
        {"reversed diameters", {1, u"101", u"199", u"9", u"8", u"1"}, 8.3},
        {"letters read as zero", {1, u"abc", u"101", u"8", u"9", u"1"}, 1.0},
        {"units after numbers", {1, u"101mm", u"", u"8.3mm", u"", u"2.5mm"}, 2.5},
        // A new diameter that is not a finite number above 0: the rule is not in force.
        {"new diameter 1e309", {1, u"101", u"", u"8", u"9", u"1e309"}, 8.3},
        {"new diameter 0", {1, u"101", u"", u"8", u"9", u"0"}, 8.3},
        {"new diameter empty", {1, u"101", u"", u"8", u"9", u""}, 8.3},
        {"new diameter negative", {1, u"101", u"", u"8", u"9", u"-8.5"}, 8.3},
    };
    for (const Case& c : cases) {
        Drawing fresh;
        DrawingHost freshView{fresh};
        AddHole(fresh, 2, {{101, 8.3}});
        fresh.AddElement(2, 21, 2);
        fresh.Select(2, 21);
        RewriteSelectedHoles(freshView, Rules({c.rule}), kRewriteWords);
        EXPECT_EQ(Diameter(fresh, 2, 0), c.expected) << c.name;
    }
}

TEST_F(RewriteTest, LaterRulesSeeEarlierRewritesAndEqualValuesStillCount) {
    host.Select(2, 21);
    RewriteSelectedHoles(view,
                         Rules({{1, u"101", u"199", u"8.1", u"8.99", u"8.5"},
                                {1, u"101", u"199", u"8.5", u"", u"9.0"}}),
                         kRewriteWords);
    EXPECT_EQ(Diameter(host, 2, 0), 9.0);

    host.ClearLog();
    RewriteSelectedHoles(view, Rules({{1, u"101", u"", u"9", u"", u"9"}}), kRewriteWords);
    EXPECT_THAT(RecordCalls(host), ElementsAre("KepHolGetHoleData(2)", "KepHolAmendHoleData(2)"));
    EXPECT_THAT(Messages(host), ElementsAre(BoxLine(ChangedHolesMessage(kRewriteWords, 1))));
}

// A rule not in force is passed over as a disabled one: a later rule still matches.
TEST_F(RewriteTest, RulesNotInForceArePassedOver) {
    host.Select(2, 21);
    RewriteSelectedHoles(
        view,
        Rules({{1, u"101", u"", u"8.3", u"", u"1e309"}, {1, u"101", u"", u"8.3", u"", u"8.4"}}),
        kRewriteWords);
    EXPECT_EQ(Diameter(host, 2, 0), 8.4);
}

TEST_F(RewriteTest, FailedReadStopsWithBothMessagesAndKeepsEarlierHoles) {
    AddHole(host, 4, {{101, 8.3}});
    host.AddElement(4, 41, 4);
    host.Select(2, 21);
    host.Select(1, 11);
    host.Select(4, 41);
    host.FailCall("KepHolGetHoleData", 2);
    RewriteSelectedHoles(view, rangeRule, kRewriteWords);
    EXPECT_EQ(Diameter(host, 2, 0), 7.0);
    EXPECT_EQ(Diameter(host, 1, 0), 8.1);
    EXPECT_EQ(Diameter(host, 4, 0), 8.3);
    EXPECT_THAT(RecordCalls(host), ElementsAre("KepHolGetHoleData(2)", "KepHolAmendHoleData(2)",
                                               "KepHolGetHoleData(1)"));
    EXPECT_THAT(Messages(host),
                ElementsAre(ErrorLine(texts::kCannotReadHole), BoxLine(texts::kErrorOccurred)));
}

TEST_F(RewriteTest, RefusedAmendStopsWithBothMessages) {
    host.Select(1, 11);
    host.Select(2, 21);
    host.FailCall("KepHolAmendHoleData", 1);
    RewriteSelectedHoles(view, rangeRule, kRewriteWords);
    EXPECT_EQ(Diameter(host, 1, 0), 8.1);
    EXPECT_EQ(host.AmendCount(1), 0);
    EXPECT_EQ(Diameter(host, 2, 0), 8.3);
    EXPECT_THAT(RecordCalls(host), ElementsAre("KepHolGetHoleData(1)", "KepHolAmendHoleData(1)"));
    EXPECT_THAT(Messages(host),
                ElementsAre(ErrorLine(texts::kCannotAmendHole), BoxLine(texts::kErrorOccurred)));
}

TEST_F(RewriteTest, ElementTheHostFindsNoHoleForIsSkipped) {
    host.Select(1, 11);
    host.Select(2, 21);
    host.FailCall("KepHolGetHoleId", 1);
    RewriteSelectedHoles(view, rangeRule, kRewriteWords);
    EXPECT_EQ(Diameter(host, 1, 0), 8.1);
    EXPECT_EQ(Diameter(host, 2, 0), 7.0);
    EXPECT_THAT(Messages(host), ElementsAre(BoxLine(ChangedHolesMessage(kRewriteWords, 1))));
}

// A host that hands over records whose step count and array do not go together.
class InconsistentStepsHost : public Drawing {
public:
    int32_t stepCount = 0;
    bool withArray = false;
    int32_t KepHolGetHoleData(int32_t holeId, HoleRecord& record) {
        const int32_t result = Drawing::KepHolGetHoleData(holeId, record);
        record.stepCount = stepCount;
        if (!withArray) record.steps = nullptr;
        return result;
    }
};

TEST_F(RewriteTest, StepsWithoutAnArrayOrNegativeCountAreNoSteps) {
    for (const auto& [count, withArray] : {std::pair{3, false}, std::pair{-1, true}}) {
        InconsistentStepsHost odd;
        odd.stepCount = count;
        odd.withArray = withArray;
        AddHole(odd, 5, {{101, 8.3}});
        odd.AddElement(1, 51, 5);
        odd.Select(1, 51);
        RawHoleHost<InconsistentStepsHost&> oddView{odd};
        RewriteSelectedHoles(oddView, rangeRule, kRewriteWords);
        EXPECT_THAT(Messages(odd), ElementsAre(kNoMatch)) << count;
        EXPECT_EQ(odd.AmendCount(5), 0) << count;
    }
}

TEST_F(RewriteTest, PlannedHolesChangedGoneOrExcludedBeforeApplyingAreLeftAndNamed) {
    AddHole(host, 4, {{101, 8.3}});
    AddHole(host, 6, {{101, 8.3}, {300, 1.0}});
    host.AddElement(1, 41, 4);
    host.AddElement(1, 61, 6);
    host.SelectAll();
    RewritePlan plan = PlanSelectedHoles(view, rangeRule, kRewriteWords);
    ASSERT_EQ(plan.status, PlanStatus::Ready);
    ASSERT_EQ(plan.holes.size(), 4u);  // holes 1, 2, 4 and 6; hole 3 is excluded
    host.SetStepDiameter(1, 4, 9.1);   // a step the plan does not change
    host.SetExcluded(4, true);
    host.FailCall("KepHolGetHoleData", 2);  // hole 2 cannot be read (gone) at 적용
    host.ClearLog();

    const RewriteRecord done = ApplyPlan(view, std::move(plan), kRewriteWords);

    EXPECT_THAT(RecordCalls(host),
                ElementsAre("KepHolGetHoleData(1)", "KepHolGetHoleData(2)", "KepHolGetHoleData(4)",
                            "KepHolGetHoleData(6)", "KepHolAmendHoleData(6)"));
    ASSERT_EQ(done.holes.size(), 1u);
    EXPECT_EQ(done.holes[0].holeId, 6);
    EXPECT_EQ(done.holes[0].print, PrintOfSteps(*host.FindHole(6)));
    EXPECT_THAT(done.leftSincePlan, ElementsAre(1, 2, 4));
    EXPECT_EQ(Diameter(host, 1, 0), 8.1);
    EXPECT_EQ(Diameter(host, 6, 0), 7.0);
    EXPECT_THAT(Messages(host),
                ElementsAre(BoxLine(ChangedHolesMessage(kRewriteWords, 1)),
                            BoxLine(u"미리 보기 뒤에 바뀌었거나 없어진 구멍 3개는 그대로 "
                                    u"두었습니다: 1, 2, 4")));

    // Every planned hole changed meanwhile: only that is told, not that no hole matched.
    RewritePlan again = PlanSelectedHoles(view, rangeRule, kRewriteWords);
    ASSERT_EQ(again.holes.size(), 2u);  // holes 1 and 2
    host.SetStepDiameter(1, 0, 8.2);
    host.SetStepDiameter(2, 0, 8.4);
    host.ClearLog();
    EXPECT_TRUE(ApplyPlan(view, std::move(again), kRewriteWords).holes.empty());
    EXPECT_EQ(Diameter(host, 1, 0), 8.2);
    EXPECT_THAT(Messages(host), ElementsAre(BoxLine(u"미리 보기 뒤에 바뀌었거나 없어진 구멍 "
                                                    u"2개는 그대로 두었습니다: 1, 2")));
}

// The print alone is no proof that a hole is as planned (prints can be made to collide): a
// planned step that is gone, or holds another code or value, is never written.
TEST_F(RewriteTest, APlannedHoleWhosePrintAloneMatchesIsLeft) {
    host.SelectAll();
    RewritePlan plan = PlanSelectedHoles(view, rangeRule, kRewriteWords);
    ASSERT_FALSE(plan.holes.empty());
    const HoleChange& planned = plan.holes[0];
    const int32_t hole = planned.holeId;
    const size_t place = static_cast<size_t>(planned.steps[0].step - 1);
    host.SetStepDiameter(hole, place, 8.2);
    plan.holes[0].print = PrintOfSteps(*host.FindHole(hole));  // as a collision would have it
    EXPECT_THAT(ApplyPlan(view, std::move(plan), kRewriteWords).leftSincePlan, Contains(hole));
    EXPECT_EQ(Diameter(host, hole, place), 8.2);

    HoleStep steps[2]{};
    steps[1].code = 101;
    steps[1].diameter = 8.3;
    HoleRecord record{};
    record.steps = steps;
    record.stepCount = 2;
    const StepChange second{2, 101, 8.3, 8.5, {}};
    EXPECT_TRUE(StepHolds(record, second, 8.3));
    EXPECT_FALSE(StepHolds(record, second, 8.5));  // another value
    record.stepCount = 1;
    EXPECT_FALSE(StepHolds(record, second, 8.3));  // gone: never a write past the steps
    record.stepCount = 2;
    steps[1].code = 250;
    EXPECT_FALSE(StepHolds(record, second, 8.3));  // another code
}

TEST(PickFilterTest, AcceptsOnlyHolesWithoutTheExclusionFlag) {
    Drawing host;
    DrawingHost view{host};
    AddHole(host, 1, {{1, 1.0}});
    AddHole(host, 2, {{1, 1.0}}, true);
    host.AddElement(3, 10, 1, 6);
    host.AddElement(3, 20, 2, 6);
    host.AddElement(3, 40, kNoHole, 6);
    EXPECT_EQ(PickFilter(view, 6, 10), 1);
    EXPECT_EQ(PickFilter(view, 6, 20), 0);
    EXPECT_EQ(PickFilter(view, 6, 40), 0);
    EXPECT_EQ(PickFilter(view, 1, 10), 0);     // another kind: the host finds no segment
    EXPECT_EQ(PickFilter(view, 6, 12345), 0);  // an element the drawing lacks
    host.FailCall("KepHolGetHoleData", 1);     // the hole cannot be read
    EXPECT_EQ(PickFilter(view, 6, 10), 0);
    host.FailCall("KepHolGetHoleId", 1);  // the host finds no hole for the element
    EXPECT_EQ(PickFilter(view, 6, 10), 0);
    EXPECT_EQ(host.Log().at(0), "KepElmGetSegment(6,10)");
    EXPECT_EQ(host.Log().at(1), "KepHolGetHoleId(10,3)");
    // Refusing a pick is no fault to tell.
    EXPECT_TRUE(std::ranges::none_of(host.Log(), [](const std::string& call) {
        return call.starts_with("KepMsg") || call.starts_with("KepDlg");
    }));
}

}  // namespace

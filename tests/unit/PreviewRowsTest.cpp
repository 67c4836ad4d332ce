// The preview's rows: their texts made from the plan's changes, and the order a click on a
// column header gives them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dialogs/PreviewRows.h"
#include "texts/RewriteTexts.h"

namespace {

RuleSet Rules(std::initializer_list<int32_t> numbers) {
    RuleSet rules;
    for (const int32_t rule : numbers) rules.Add(rule);
    return rules;
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// Seven rows in selection order: hole 30 (rows 0-2), hole 10 (rows 3-4), hole 20 (rows 5-6),
// with equal values in every column so that ties show.
const std::vector<HoleChange> kHoles = {
    {30,
     {{1, 150, 8.3, 8.5, Rules({2})},
      {2, 101, 8.5, 8.5, Rules({1, 7})},
      {4, 150, kNan, 9, Rules({1})}}},
    {10, {{1, 201, 5.1, 5.05, Rules({1, 3})}, {3, 101, 8.3, -0.0, Rules({1})}}},
    {20, {{2, 150, -0.0, 0.0, Rules({1, 7})}, {5, 101, 8.99, 8.5, Rules({2, 3})}}},
};

std::vector<std::u16string> Column(const PreviewRows& rows, PreviewColumn column) {
    std::vector<std::u16string> texts;
    for (size_t row = 0; row < rows.size(); ++row) texts.push_back(rows.CellText(row, column));
    return texts;
}

// Each row named by its hole and step, "30.4", in the order shown.
std::vector<std::string> Shown(const PreviewRows& rows) {
    std::vector<std::string> shown;
    for (size_t row = 0; row < rows.size(); ++row) {
        const std::u16string hole = rows.CellText(row, PreviewColumn::Hole);
        const std::u16string step = rows.CellText(row, PreviewColumn::Step);
        shown.push_back(std::string(hole.begin(), hole.end()) + "." +
                        std::string(step.begin(), step.end()));
    }
    return shown;
}

using Order = std::vector<std::string>;

TEST(PreviewRows, ShowEveryChangedStepInSelectionOrderAndMarkTheValuesThatStay) {
    const PreviewRows rows(kHoles);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_FALSE(rows.sorted());
    EXPECT_EQ(Shown(rows), (Order{"30.1", "30.2", "30.4", "10.1", "10.3", "20.2", "20.5"}));
    EXPECT_EQ(
        Column(rows, PreviewColumn::Diameter),
        (std::vector<std::u16string>{u"8.3", u"8.5", u"nan", u"5.1", u"8.3", u"-0", u"8.99"}));
    // Only a value equal bit for bit stays: -0 and 0 differ.
    EXPECT_EQ(
        Column(rows, PreviewColumn::NewDiameter),
        (std::vector<std::u16string>{u"8.5", u"8.5 (그대로)", u"9", u"5.05", u"-0", u"0", u"8.5"}));
    EXPECT_EQ(Column(rows, PreviewColumn::Rules),
              (std::vector<std::u16string>{u"2", u"1, 7", u"1", u"1, 3", u"1", u"1, 7", u"2, 3"}));
    EXPECT_EQ(rows.CellText(7, PreviewColumn::Hole), u"");
    EXPECT_EQ(PreviewRows({}).size(), 0u);
}

TEST(PreviewRows, AHeaderSortsByItsColumnThenTheOtherWayWithTiesInSelectionOrder) {
    PreviewRows rows(kHoles);
    rows.SortBy(PreviewColumn::Hole, 0);
    EXPECT_EQ(Shown(rows), (Order{"10.1", "10.3", "20.2", "20.5", "30.1", "30.2", "30.4"}));
    EXPECT_FALSE(rows.descending());
    rows.SortBy(PreviewColumn::Hole, 0);
    EXPECT_TRUE(rows.descending());
    EXPECT_EQ(Shown(rows), (Order{"30.1", "30.2", "30.4", "20.2", "20.5", "10.1", "10.3"}));

    // Another column starts ascending; equal codes keep selection order either way.
    rows.SortBy(PreviewColumn::Code, 0);
    EXPECT_FALSE(rows.descending());
    EXPECT_EQ(Shown(rows), (Order{"30.2", "10.3", "20.5", "30.1", "30.4", "20.2", "10.1"}));
    rows.SortBy(PreviewColumn::Code, 0);
    EXPECT_EQ(Shown(rows), (Order{"10.1", "30.1", "30.4", "20.2", "30.2", "10.3", "20.5"}));
    rows.SortBy(PreviewColumn::Code, 0);
    EXPECT_FALSE(rows.descending());

    rows.SortBy(PreviewColumn::Step, 0);
    EXPECT_EQ(Shown(rows), (Order{"30.1", "10.1", "30.2", "20.2", "10.3", "30.4", "20.5"}));
}

TEST(PreviewRows, DiametersSortByValueWithNanLastAndRulesByTheirNumbersInTurn) {
    PreviewRows rows(kHoles);
    rows.SortBy(PreviewColumn::Diameter, 0);
    EXPECT_EQ(Shown(rows), (Order{"20.2", "10.1", "30.1", "10.3", "30.2", "20.5", "30.4"}));
    rows.SortBy(PreviewColumn::Diameter, 0);
    EXPECT_EQ(Shown(rows), (Order{"30.4", "20.5", "30.2", "30.1", "10.3", "10.1", "20.2"}));
    // -0 and 0 are the same number: selection order between them.
    rows.SortBy(PreviewColumn::NewDiameter, 0);
    EXPECT_EQ(Shown(rows), (Order{"10.3", "20.2", "10.1", "30.1", "30.2", "20.5", "30.4"}));
    // 1 before 1, 3 before 1, 7 before 2 before 2, 3.
    rows.SortBy(PreviewColumn::Rules, 0);
    EXPECT_EQ(Shown(rows), (Order{"30.4", "10.3", "10.1", "30.2", "20.2", "30.1", "20.5"}));
    rows.SortBy(PreviewColumn::Rules, 0);
    EXPECT_EQ(Shown(rows), (Order{"20.5", "30.1", "30.2", "20.2", "10.1", "30.4", "10.3"}));
}

TEST(PreviewRows, ASortSaysWhereTheFollowedRowWent) {
    PreviewRows rows(kHoles);
    EXPECT_EQ(rows.SortBy(PreviewColumn::Hole, 2), 6u);  // 30.4 goes last
    EXPECT_EQ(rows.SortBy(PreviewColumn::Hole, 6), 2u);  // and back
    EXPECT_EQ(rows.SortBy(PreviewColumn::Diameter, 2), 6u);
    EXPECT_EQ(rows.SortBy(PreviewColumn::Code, 7), 7u);  // no such row
}

TEST(RewritePlanText, SummarySaysHowManyStepsKeepTheirValue) {
    const std::vector<HoleChange> holes(kHoles.begin(), kHoles.end());
    const ChangeSummary summary = SummarizeChanges(holes);
    EXPECT_EQ(summary.stepsKeepingValue, 1);  // 8.5 -> 8.5; -0 -> 0 and NaN -> 9 change
    EXPECT_EQ(PlanSummaryText(summary),
              u"구멍 3개, 단계 7개를 바꿉니다 (그중 단계 1개는 값이 그대로)\r\n"
              u"규칙 1: 단계 5개, 규칙 2: 단계 2개, 규칙 3: 단계 2개, 규칙 7: 단계 2개");
    const std::vector<HoleChange> nan = {{1, {{1, 101, kNan, kNan, Rules({1})}}}};
    EXPECT_EQ(PlanSummaryText(SummarizeChanges(nan)),
              u"구멍 1개, 단계 1개를 바꿉니다 (그중 단계 1개는 값이 그대로)\r\n규칙 1: 단계 1개");
}

}  // namespace

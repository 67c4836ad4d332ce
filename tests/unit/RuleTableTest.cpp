#include "rules/RuleTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HoleRule Rule(const std::string& tag, int32_t on = 1) {
    const std::u16string t(tag.begin(), tag.end());
    return HoleRule{on, t + u"-cf", t + u"-ct", t + u"-df", t + u"-dt", t + u"-dm"};
}

TEST(RuleTable, HoldsAtMost49RulesAndRefusesTheFiftieth) {
    RuleTable table;
    for (int i = 1; i <= 49; ++i) ASSERT_TRUE(table.Append(Rule(std::to_string(i))));
    EXPECT_TRUE(table.IsFull());
    EXPECT_FALSE(table.Append(Rule("extra")));
    EXPECT_EQ(table.count(), 49);
    EXPECT_EQ(table.rule(49), Rule("49"));
    EXPECT_EQ(table.rule(1), Rule("1"));
}

TEST(RuleTable, RemoveClosesTheGapInOrderAndIgnoresBadNumbers) {
    RuleTable table;
    for (const char* tag : {"A", "B", "C", "D"}) table.Append(Rule(tag, tag[0] == 'B' ? 0 : 1));
    table.Remove(0);
    table.Remove(5);
    ASSERT_EQ(table.count(), 4);
    table.Remove(3);  // C
    table.Remove(1);  // A
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.rule(1), Rule("B", 0));
    EXPECT_EQ(table.rule(2), Rule("D"));
}

TEST(RuleTable, ClearKeepsSlotsButAppendOverwritesAllSixFields) {
    RuleTable table;
    table.Append(Rule("old"));
    table.Clear();
    EXPECT_EQ(table.count(), 0);
    HoleRule blank;
    table.Append(blank);
    EXPECT_EQ(table.rule(1), blank);
}

TEST(RuleTable, ReplaceAndSetEnabledTouchOnlyExistingRules) {
    RuleTable table;
    table.Append(Rule("A"));
    table.Replace(1, Rule("Z", 0));
    table.Replace(2, Rule("nope"));
    table.SetEnabled(2, true);
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(table.rule(1), Rule("Z", 0));
    table.SetEnabled(1, true);
    EXPECT_EQ(table.rule(1).enabled, 1);
}

}  // namespace

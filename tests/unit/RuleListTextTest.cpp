#include "dialogs/RuleListText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

TEST(RuleListText, RangeTextShowsFromAloneWhenToAddsNothing) {
    struct Case {
        std::u16string from, to, expected;
    };
    const Case cases[] = {
        {u"101", u"199", u"101-199"},
        {u"101", u"101", u"101"},
        {u"101", u"", u"101"},
        {u"ab", u"AB", u"ab"},
        {u"AB", u"ab", u"AB"},
        {u"8.1", u"8.10", u"8.1-8.10"},  // compared as texts, not numbers
        {u"", u"199", u"-199"},
        {u"", u"", u""},
        {u"가", u"가", u"가"},
        {u"가", u"나", u"가-나"},
        {u" 101", u"101", u" 101-101"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RangeText(c.from, c.to), c.expected) << Narrow(c.from) << " / " << Narrow(c.to);
    }
}

// Each column shows its own fields: a swapped column or range end shows here.
TEST(RuleListText, ColumnsShowTheCodeRangeTheDiameterRangeAndTheNewDiameter) {
    const HoleRule rule{0, u"101", u"199", u"8.1", u"8.99", u"8.5"};
    EXPECT_EQ(RuleListColumnText(rule, 1), u"101-199");
    EXPECT_EQ(RuleListColumnText(rule, 2), u"8.1-8.99");
    EXPECT_EQ(RuleListColumnText(rule, 3), u"8.5");
}

TEST(RuleListText, CaseIsIgnoredForLatinLettersOnly) {
    EXPECT_TRUE(EqualsIgnoringCase(u"LabelNew", u"labelnew"));
    EXPECT_TRUE(EqualsIgnoringCase(u"LABELNEW", u"LabelNew"));
    EXPECT_FALSE(EqualsIgnoringCase(u"LabelNe", u"LabelNew"));
    EXPECT_FALSE(EqualsIgnoringCase(u"LabelNew ", u"LabelNew"));
    EXPECT_FALSE(EqualsIgnoringCase(u"[", u"{"));  // 0x5B and 0x7B are 0x20 apart
    EXPECT_FALSE(EqualsIgnoringCase(u"@", u"`"));
}

TEST(RuleListText, ConfirmedListSavesWhenTheTableHoldsOrHeldRules) {
    EXPECT_TRUE(ConfirmedListSaves(0, 1));
    EXPECT_TRUE(ConfirmedListSaves(3, 3));
    EXPECT_TRUE(ConfirmedListSaves(2, 0));  // every rule deleted
    EXPECT_FALSE(ConfirmedListSaves(0, 0));
}

}  // namespace

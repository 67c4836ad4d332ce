#include "rules/ReplacedRules.h"

#include <gtest/gtest.h>

#include "texts/RuleFolderText.h"

namespace {

RuleTable TableOf(std::initializer_list<HoleRule> rules) {
    RuleTable table;
    for (const HoleRule& rule : rules) table.Append(rule);
    return table;
}

const HoleRule kDrill{1, u"101", u"199", u"8.1", u"8.99", u"8.5"};
const HoleRule kTap{1, u"301", u"", u"10", u"", u"10.2"};
const HoleRule kReam{0, u"401", u"401", u"5", u"5.1", u"5.05"};

TEST(ReplacedRules, RulesOfThisSeatsSaveThatTheFileNoLongerHoldsAreGoneOrChanged) {
    HoleRule drillElsewhere = kDrill;
    drillElsewhere.DiameterModify = u"8.6";
    HoleRule tapSwitchedOff = kTap;
    tapSwitchedOff.enabled = 0;
    HoleRule tapAsTwo = kTap;
    tapAsTwo.enabled = 2;  // still on
    const struct {
        RuleTable file;
        std::vector<ReplacedRule> replaced;
    } cases[] = {
        {TableOf({kReam, kTap, kDrill}), {}},  // reordered: nothing lost
        {TableOf({kDrill, tapAsTwo, kReam}), {}},
        {TableOf({kDrill, kReam}), {{kTap, false}}},
        {TableOf({drillElsewhere, tapSwitchedOff, kReam}), {{kDrill, true}, {kTap, true}}},
        {TableOf({}), {{kDrill, false}, {kTap, false}, {kReam, false}}},
    };
    const RuleTable saved = TableOf({kDrill, kTap, kReam});
    for (const auto& c : cases) {
        const ReplacedRules replaced = FindReplacedRules(saved, c.file);
        ASSERT_EQ(replaced.rules.size(), c.replaced.size());
        for (size_t i = 0; i < c.replaced.size(); ++i) {
            EXPECT_EQ(replaced.rules[i].saved, c.replaced[i].saved);
            EXPECT_EQ(replaced.rules[i].changed, c.replaced[i].changed);
        }
        EXPECT_EQ(HoldsEveryRule(saved, replaced.rules), true);
        EXPECT_EQ(HoldsEveryRule(c.file, replaced.rules), replaced.rules.empty());
    }
    const ReplacedRules mixed = FindReplacedRules(saved, TableOf({drillElsewhere}));
    EXPECT_EQ(mixed.gone(), 2);
    EXPECT_EQ(mixed.changed(), 1);
}

TEST(ReplacedRules, ARuleIsNamedByItsCodesAndDiameters) {
    EXPECT_EQ(RuleShortText(kDrill), u"101-199, 8.1-8.99 → 8.5");
    EXPECT_EQ(RuleShortText(kTap), u"301, 10 → 10.2");
    EXPECT_EQ(RuleShortText(kReam), u"401, 5-5.1 → 5.05 (꺼짐)");
}

}  // namespace

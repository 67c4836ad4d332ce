#include "dialogs/EditorValues.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialogs/DialogFields.h"

namespace {

TEST(EditorValues, EachRowStoresItsOwnMember) {
    const HoleRule rule{1, u"201", u"299", u"5.0", u"5.5", u"5.2"};
    HoleRule copy;
    for (size_t row = 0; row < kDialogFields.size(); ++row) {
        TakeStoredText(copy, row, StoredText(rule, row));
    }
    EXPECT_EQ(copy, rule);
    EXPECT_EQ(StoredText(rule, 1), u"201");
    EXPECT_EQ(StoredText(rule, 4), u"5.5");
    EXPECT_EQ(StoredText(rule, 5), u"5.2");
}

TEST(EditorValues, DefaultsFillTheMembersOfANewRule) {
    const HoleRule expected{1, u"101", u"199", u"8.1", u"8.99", u"8.5"};
    EXPECT_EQ(DefaultEditorValues(), expected);
}

TEST(EditorValues, EmptyTextsAreStoredAndTakenAsEmpty) {
    HoleRule rule{0, u"", u"", u"", u"", u""};
    for (size_t row = 1; row < kDialogFields.size(); ++row) {
        EXPECT_EQ(StoredText(rule, row), u"");
    }
    rule.CodeTo = u"x";
    TakeStoredText(rule, 2, u"");
    EXPECT_EQ(rule.CodeTo, u"");
}

TEST(EditorValues, FlagIsStoredAsOneOrZeroAndOnlyExactlyOneReadsAsEnabled) {
    HoleRule rule;
    rule.enabled = 5;
    EXPECT_EQ(StoredText(rule, 0), u"1");
    rule.enabled = 0;
    EXPECT_EQ(StoredText(rule, 0), u"0");

    struct Case {
        std::u16string text;
        int32_t flag;
    };
    const Case cases[] = {{u"1", 1},  {u"0", 0},  {u"", 0},   {u" 1", 0},
                          {u"1 ", 0}, {u"01", 0}, {u"+1", 0}, {u"2", 0}};
    for (const Case& c : cases) {
        rule.enabled = 7;
        TakeStoredText(rule, 0, c.text);
        EXPECT_EQ(rule.enabled, c.flag) << std::string(c.text.begin(), c.text.end());
    }
}

// 적용 takes a value only when the whole text reads as a number; the new diameter must
// also be there and be one from 0.0001 to 100000. The first field at fault is named.
TEST(CheckEditorValues, RefusesTheFirstFieldItCannotRead) {
    using enum RuleField;  // EditorField names it; clang 14 takes no alias here
    struct Case {
        RuleText HoleRule::*member;
        std::u16string text;
        std::optional<EditorField> refused;
    };
    const Case cases[] = {
        {&HoleRule::DiameterFrom, u" 9.95 ", std::nullopt},
        {&HoleRule::DiameterTo, u" ", std::nullopt},  // the single-value form
        {&HoleRule::CodeFrom, u"101.5", CodeFrom},
        {&HoleRule::DiameterModify, u"-0", DiameterModify},
        {&HoleRule::DiameterModify, u"1e-300", DiameterModify},
        {&HoleRule::DiameterModify, u"8.5 9", DiameterModify},
        {&HoleRule::DiameterModify, u"8.5mm", DiameterModify},
        {&HoleRule::DiameterModify, u"1e309", DiameterModify},
        {&HoleRule::DiameterFrom, u"8.5mm", DiameterFrom},
        {&HoleRule::DiameterModify, u" 100000 ", std::nullopt},
        {&HoleRule::DiameterModify, u"0.0001", std::nullopt},
        {&HoleRule::DiameterTo, u"8 .99", DiameterTo},
    };
    for (const Case& c : cases) {
        HoleRule values = DefaultEditorValues();
        values.*c.member = c.text;
        const std::optional<EditorRefusal> refusal = CheckEditorValues(values);
        ASSERT_EQ(refusal.has_value(), c.refused.has_value()) << c.text.size();
        if (refusal) {
            EXPECT_EQ(refusal->field, *c.refused) << c.text.size();
        }
    }
    HoleRule twoFaults = DefaultEditorValues();
    twoFaults.CodeTo = u"x";
    twoFaults.DiameterModify = u"";
    EXPECT_EQ(CheckEditorValues(twoFaults)->field, CodeTo);
    twoFaults.DiameterFrom = u"9,95";
    twoFaults.CodeTo = u"";
    EXPECT_EQ(CheckEditorValues(twoFaults)->message,
              u"구멍경(대상) 시작 값 \"9,95\"을(를) 숫자로 읽을 수 없습니다.\r\n"
              u"지름은 숫자로 입력하십시오. 소수점은 마침표(.)입니다.");
    HoleRule noNewDiameter = DefaultEditorValues();
    noNewDiameter.DiameterModify = u"";
    EXPECT_TRUE(CheckEditorValues(noNewDiameter)
                    ->message.starts_with(u"구멍경(수정)이(가) 비어 있습니다."));
    noNewDiameter.DiameterModify = u"1e309";
    EXPECT_TRUE(CheckEditorValues(noNewDiameter)->message.starts_with(u"구멍경(수정) \"1e309\""));
}

}  // namespace

#include "rules/RuleFileFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Utf16(std::u16string_view text, bool bom = true) {
    std::vector<unsigned char> bytes;
    if (bom) bytes = {0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    return bytes;
}

RuleTable Decode(std::u16string_view text, bool bom = true) {
    RuleTable table;
    const auto bytes = Utf16(text, bom);
    DecodeRuleFile(bytes, table);
    return table;
}

RuleTable SavedAndReloaded(const RuleTable& table) {
    const std::string bytes = EncodeRuleFile(table);
    RuleTable reloaded;
    DecodeRuleFile(std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()),
                   reloaded);
    return reloaded;
}

TEST(ExtractField, SplitsAtEveryTab) {
    EXPECT_EQ(ExtractField(u"a\tb\t\tc", 0), u"a");
    EXPECT_EQ(ExtractField(u"a\tb\t\tc", 2), u"");
    EXPECT_EQ(ExtractField(u"a\tb\t\tc", 3), u"c");
    EXPECT_FALSE(ExtractField(u"a\tb\t\tc", 4));
    EXPECT_EQ(ExtractField(u"\t", 1), u"");
    EXPECT_EQ(ExtractField(u"", 0), u"");
    EXPECT_FALSE(ExtractField(u"", 1));
    EXPECT_FALSE(ExtractField(u"a", -1));
}

TEST(DecodeRuleFile, ReadsSixFieldLinesInOrder) {
    const RuleTable table = Decode(u"1\t101\t199\t8.1\t8.99\t8.5\r\n0\t201\t\t5\t\t5.2\r\n");
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.rule(1), (HoleRule{1, u"101", u"199", u"8.1", u"8.99", u"8.5"}));
    EXPECT_EQ(table.rule(2), (HoleRule{0, u"201", u"", u"5", u"", u"5.2"}));
}

TEST(DecodeRuleFile, SkipsLinesWithoutExactlySixFields) {
    const RuleTable table = Decode(
        u"1\t1\t2\t3\t4\r\n"       // five fields
        u"1\t1\t2\t3\t4\t5\t\r\n"  // seven (trailing TAB)
        u"\r\n\n"                  // blank lines
        u"1\t7\t\t\t\t7.5\r\n");
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.rule(1).CodeFrom, u"7");
}

TEST(DecodeRuleFile, FlagIsOnOnlyForAnIntegerEqualToOne) {
    const RuleTable table = Decode(
        u"0\ta\t\t\t\t1\n2\tb\t\t\t\t1\n\tc\t\t\t\t1\n1\td\t\t\t\t1\n  +1\te\t\t\t\t1\n"
        u"01x\tf\t\t\t\t1\n-1\tg\t\t\t\t1\n");
    ASSERT_EQ(table.count(), 7);
    const int32_t expected[] = {0, 0, 0, 1, 1, 1, 0};
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(table.rule(n).isDisplay, expected[n - 1]) << n;
}

TEST(DecodeRuleFile, CleansOnlyTheLastField) {
    const RuleTable table = Decode(u"1\t 101 \t 199\t 8.1\t8.99 \t 8 .5 \r\r\n");
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.rule(1).CodeFrom, u" 101 ");
    EXPECT_EQ(table.rule(1).CodeTo, u" 199");
    EXPECT_EQ(table.rule(1).DiameterTo, u"8.99 ");
    EXPECT_EQ(table.rule(1).DiameterModify, u"8.5");
}

TEST(DecodeRuleFile, ByteOrderMarkIsSkippedOnlyWhenPresent) {
    const RuleTable withBom = Decode(u"1\t101\t\t8\t\t9");
    const RuleTable without = Decode(u"1\t101\t\t8\t\t9", false);
    ASSERT_EQ(without.count(), 1);
    EXPECT_EQ(without.rule(1), withBom.rule(1));
}

TEST(DecodeRuleFile, LastLineNeedsNoLineBreakAndOddByteIsIgnored) {
    auto bytes = Utf16(u"1\t1\t\t2\t\t3\n0\t4\t\t5\t\t6");
    bytes.push_back(0x41);
    RuleTable table;
    DecodeRuleFile(bytes, table);
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.rule(2).DiameterModify, u"6");
}

TEST(DecodeRuleFile, EmptyFilesGiveAnEmptyTable) {
    for (const auto& bytes : {std::vector<unsigned char>{}, std::vector<unsigned char>{0xFF, 0xFE},
                              std::vector<unsigned char>{0xFF}}) {
        RuleTable table;
        table.Append(HoleRule{1, u"x", u"", u"", u"", u""});
        const auto result = DecodeRuleFile(bytes, table);
        EXPECT_EQ(table.count(), 0);
        EXPECT_EQ(result.acceptedLines, 0);
    }
}

TEST(DecodeRuleFile, KeepsTheFirst49RulesAndCountsTheRest) {
    std::u16string text;
    for (int i = 1; i <= 53; ++i) {
        const std::string code = std::to_string(i);
        text += u"1\t" + std::u16string(code.begin(), code.end()) + u"\t\t1\t\t2\r\n";
    }
    RuleTable table;
    const auto result = DecodeRuleFile(Utf16(text), table);
    EXPECT_EQ(table.count(), 49);
    EXPECT_EQ(table.rule(49).CodeFrom, u"49");
    EXPECT_EQ(result.acceptedLines, 53);
    EXPECT_EQ(result.ignoredLines, 4);
}

TEST(EncodeRuleFile, WritesByteOrderMarkTabsAndCrLf) {
    RuleTable table;
    table.Append(HoleRule{1, u"101", u"199", u"8.1", u"8.99", u"8.5"});
    table.Append(HoleRule{7, u"", u"", u"", u"", u""});
    table.Append(HoleRule{0, u"구멍", u"", u"", u"", u""});
    const std::string bytes = EncodeRuleFile(table);
    const auto expected = Utf16(
        u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
        u"1\t\t\t\t\t\r\n"
        u"0\t구멍\t\t\t\t\r\n");
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.end()), expected);
    EXPECT_EQ(EncodeRuleFile(RuleTable{}), "\xFF\xFE");
}

TEST(EncodeRuleFile, SeparatorsInsideAFieldBecomeSpacesSoTheRuleSurvives) {
    RuleTable table;
    table.Append(HoleRule{1, u"1\t01", u"1\r\n99", u"8", u"9", u"8.5"});
    const RuleTable reloaded = SavedAndReloaded(table);
    ASSERT_EQ(reloaded.count(), 1);
    EXPECT_EQ(reloaded.rule(1), (HoleRule{1, u"1 01", u"1  99", u"8", u"9", u"8.5"}));
}

TEST(RuleFileRoundTrip, SavedRulesReloadUnchanged) {
    RuleTable table;
    table.Append(HoleRule{1, u"101", u"199", u"8.1", u"8.99", u"8.5"});
    table.Append(HoleRule{0, u" 5 ", u"abc", u"", u"-1e3", u"7,5"});
    table.Append(HoleRule{1, u"", u"", u"", u"", u""});
    const RuleTable reloaded = SavedAndReloaded(table);
    ASSERT_EQ(reloaded.count(), table.count());
    for (int n = 1; n <= table.count(); ++n) EXPECT_EQ(reloaded.rule(n), table.rule(n)) << n;
}

}  // namespace

#include "rules/RuleFileFormat.h"

#include <gtest/gtest.h>

#include "platform/LegacyCodePage.h"
#include "rules/RuleLines.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;

std::vector<unsigned char> Utf16(std::u16string_view text, bool bom = true) {
    std::vector<unsigned char> bytes;
    if (bom) bytes = {0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    return bytes;
}

// Natively the legacy code page is 949, through iconv.
const LegacyTextDecoder kCodePage949 = SystemCodePageDecoder();

std::span<const unsigned char> BytesOf(std::string_view bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

RuleTable Decode(std::u16string_view text, bool bom = true) {
    RuleTable table;
    const auto bytes = Utf16(text, bom);
    DecodeRuleFile(bytes, table, kCodePage949);
    return table;
}

RuleTable SavedAndReloaded(const RuleTable& table) {
    const std::string bytes = EncodeRuleFile(table);
    RuleTable reloaded;
    DecodeRuleFile(BytesOf(bytes), reloaded, kCodePage949);
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

// Marks first; without one, UTF-16LE when NUL bytes stand at odd offsets (at least a quarter
// of them), UTF-16BE when at even ones, else UTF-8 less NUL bytes at the very end, else the
// legacy code page.
TEST(DecodeRuleFileText, DecidesTheEncodingByMarkOrElseByTheBytes) {
    using enum RuleFileEncoding;
    const struct {
        std::string_view bytes;
        RuleFileEncoding encoding;
        std::u16string_view text;
    } cases[] = {
        {""sv, Utf8, u""},
        {"\xFF\xFE"sv, Utf16LeWithMark, u""},
        {"\xFF\xFE\x31\0\t\0\x6C\xAD"sv, Utf16LeWithMark, u"1\t구"},
        {"\xFF\xFE\x41\0\x42"sv, Utf16LeWithMark, u"A"},
        {"\xFE\xFF\0\x41\xAD\x6C\0"sv, Utf16BeWithMark, u"A구"},
        {"\xEF\xBB\xBF"
         "1\t\xEA\xB5\xAC\r"sv,
         Utf8WithMark, u"1\t구\r"},
        {"\xEF\xBB\xBF\xF0\x9F\x98\x80"sv, Utf8WithMark, u"\xD83D\xDE00"},
        // After the mark each maximal ill-formed part becomes one U+FFFD.
        {"\xEF\xBB\xBF"
         "a\xFF"
         "b\xE1\x80"
         "c\xE0\x80\xED\xA0\x80\xE1\x80"sv,
         Utf8WithMark,
         u"a\xFFFD"
         "b\xFFFD"
         "c\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD"},
        // No mark: ASCII-like UTF-16LE, also with Hangul among it.
        {"1\0\t\0\x36\0"sv, Utf16LeWithoutMark, u"1\t6"},
        {"\x6C\xAD\x6C\xAD\x6C\xAD\x41\0"sv, Utf16LeWithoutMark, u"구구구A"},
        // No mark, UTF-8 (a NUL at the end or inside is no sign of UTF-16).
        // No mark: UTF-16BE, NUL bytes at even offsets.
        {"\0\x31\0\t\0\x36"sv, Utf16BeWithoutMark, u"1\t6"},
        {"\xAD\x6C\xAD\x6C\xAD\x6C\0\x41"sv, Utf16BeWithoutMark, u"구구구A"},
        {"AB"sv, Utf8, u"AB"},
        {"ABCDEFGHIJ\0\0\0"sv, Utf8, u"ABCDEFGHIJ"},
        {"1\t\xEA\xB5\xAC\xF0\x9F\x98\x80\r\n"sv, Utf8, u"1\t구\xD83D\xDE00\r\n"},
        {"1\t101\t\t8\t\t9\r\n\0"sv, Utf8, u"1\t101\t\t8\t\t9\r\n"},
        {"AB\0CDEFGHIJ"sv, Utf8, u"AB\0CDEFGHIJ"sv},
        // No mark, neither: the legacy code page (949 here), less the NUL bytes at the end.
        {"1\t101\r\n# \xB1\xB8\xB8\xDB\r\n\0"sv, LegacyCodePage, u"1\t101\r\n# 구멍\r\n"},
        // Bytes that are no character of the code page become U+FFFD.
        {"\x6C\xAD\x2C"sv, LegacyCodePage, u"l\xFFFD,"},
        {"\xB1"sv, LegacyCodePage, u"\xFFFD"},
        {"\xA2\xE8"sv, LegacyCodePage, u"\xFFFD"},
    };
    for (const auto& c : cases) {
        const auto decoded = DecodeRuleFileText(BytesOf(c.bytes), kCodePage949);
        EXPECT_EQ(decoded.encoding, c.encoding) << testing::PrintToString(c.bytes);
        EXPECT_EQ(decoded.text, c.text) << testing::PrintToString(c.bytes);
    }
}

std::vector<std::u16string_view> LinesOf(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    RuleTable table;
    RuleLineReader reader(text, table);
    for (RuleLine line; reader.Next(line);) lines.push_back(line.text);
    return lines;
}

TEST(RuleLineReader, EndsLinesAtCrLfLfOrALoneCrInAnyMix) {
    using Lines = std::vector<std::u16string_view>;
    EXPECT_EQ(LinesOf(u""), Lines{});
    EXPECT_EQ(LinesOf(u"a"), Lines{u"a"});
    EXPECT_EQ(LinesOf(u"\n"), Lines{u""});
    EXPECT_EQ(LinesOf(u"\r"), Lines{u""});
    EXPECT_EQ(LinesOf(u"a\r\rb\r"), (Lines{u"a", u"", u"b"}));
    EXPECT_EQ(LinesOf(u"a\rb\nc\r\nd\re"), (Lines{u"a", u"b", u"c", u"d", u"e"}));
    EXPECT_EQ(LinesOf(u"a\n\rb\r\r\n"), (Lines{u"a", u"", u"b", u""}));
}

// Every kind of line, and every reason a rule switched on is not in force; the rules of the
// table are numbered in file order, and the new diameter loses the spaces at its ends only.
TEST(RuleLineReader, GivesEveryLineItsKindAndEveryRuleNotInForceItsReason) {
    using enum RuleLineKind;
    using F = NewDiameterFault;
    struct Expected {
        std::u16string_view line;
        RuleLineKind kind;
        int32_t fields;
        int32_t rule;
        NewDiameterFault fault = F::None;
    };
    const Expected lines[] = {
        {u"1\t101\t199\t8.1\t8.99\t8.5", Rule, 6, 1},
        {u"", Blank, 1, 0},
        {u"  ", Blank, 1, 0},
        {u"# 공장 규칙", Comment, 1, 0},
        {u"1\t101\t199\t8.1\t8.99", OtherFieldCount, 5, 0},
        {u"1\t2\t3\t4\t5\t6\t", OtherFieldCount, 7, 0},
        {u"\t\t\t\t\t", Rule, 6, 2},        // six empty fields: a rule switched off
        {u"0\t1\t\t1\t\tabc", Rule, 6, 3},  // switched off: its new diameter is not judged
        {u"1\t1\t\t1\t\t  ", RuleNotInForce, 6, 4, F::Blank},
        {u"1\t1\t\t1\t\tabc", RuleNotInForce, 6, 5, F::NoNumber},
        {u"1\t1\t\t1\t\t8.5 9", RuleNotInForce, 6, 6, F::PartialNumber},
        {u"1\t1\t\t1\t\t1e309", RuleNotInForce, 6, 7, F::NotFinite},
        {u"1\t1\t\t1\t\t1e-320", RuleNotInForce, 6, 8, F::Implausible},
        {u"1\t1\t\t1\t\t 0.0001 ", Rule, 6, 9},
        {u"1\t1\t\t1\t\t100000", Rule, 6, 10},
    };
    std::u16string text;
    for (const Expected& line : lines) text += std::u16string(line.line) + u"\r\n";
    for (int n = 11; n <= 49; ++n) text += u"0\t1\t\t1\t\t2\n";
    text += u"1\t1\t\t1\t\t2";  // no final line end
    RuleTable table;
    RuleLineReader reader(text, table);
    RuleLine read;
    for (const Expected& line : lines) {
        ASSERT_TRUE(reader.Next(read));
        const auto print = testing::PrintToString(std::u16string(line.line));
        EXPECT_EQ(read.text, line.line) << print;
        EXPECT_EQ(read.kind, line.kind) << print;
        EXPECT_EQ(read.fields, line.fields) << print;
        EXPECT_EQ(read.rule, line.rule) << print;
        EXPECT_EQ(read.fault, line.fault) << print;
    }
    EXPECT_EQ(table.rule(9).DiameterModify, u"0.0001");
    EXPECT_EQ(read.lastField, u"100000");
    for (int n = 11; n <= 49; ++n) ASSERT_TRUE(reader.Next(read) && read.kind == Rule) << n;
    ASSERT_TRUE(reader.Next(read));
    EXPECT_EQ(read.kind, Beyond49);
    EXPECT_EQ(read.rule, 0);
    EXPECT_EQ(read.lastField, u"2");
    EXPECT_FALSE(reader.Next(read));
    EXPECT_EQ(table.count(), 49);
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
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(table.rule(n).enabled, expected[n - 1]) << n;
}

TEST(DecodeRuleFile, CleansOnlyTheEndsOfTheLastField) {
    const RuleTable table = Decode(u"1\t 101 \t 199\t 8.1\t8.99 \t 8 .5 \r\r\n");
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.rule(1).CodeFrom, u" 101 ");
    EXPECT_EQ(table.rule(1).CodeTo, u" 199");
    EXPECT_EQ(table.rule(1).DiameterTo, u"8.99 ");
    EXPECT_EQ(table.rule(1).DiameterModify, u"8 .5");
}

TEST(DecodeRuleFile, EmptyFilesGiveAnEmptyTable) {
    for (const auto& bytes : {std::vector<unsigned char>{}, std::vector<unsigned char>{0xFF, 0xFE},
                              std::vector<unsigned char>{0xFF}}) {
        RuleTable table;
        table.Append(HoleRule{1, u"x", u"", u"", u"", u""});
        const auto result = DecodeRuleFile(bytes, table, kCodePage949);
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
    text += u"1\t54\t\t1\t\t0\r\n";  // beyond the table: not counted as out of force
    RuleTable table;
    const auto result = DecodeRuleFile(Utf16(text), table, kCodePage949);
    EXPECT_EQ(table.count(), 49);
    EXPECT_EQ(table.rule(49).CodeFrom, u"49");
    EXPECT_EQ(result.acceptedLines, 54);
    EXPECT_EQ(result.ignoredLines, 5);
    EXPECT_TRUE(result.rulesNotInForce.empty());
}

// Lines with a TAB but not six fields, and enabled rules not in force, are numbered (the
// first five); comments, blank lines and disabled rules are not.
TEST(DecodeRuleFile, NumbersTheLinesThatAreNotApplied) {
    RuleTable table;
    const RuleFileReadResult result =
        DecodeRuleFile(Utf16(u"# 공장 규칙\r\n"                             // 1: no TAB
                             u"1\t101\t120\t10.1\t10.6\t10.5\t메모\r\n"     // 2: seven fields
                             u"\r\n"                                        // 3
                             u"1\t101\t\t8\t\t1e309\n"                      // 4: not in force
                             u"0\t101\t\t8\t\t\r"                           // 5: disabled anyway
                             u"1\t101\t\t8\t\tabc\r\n"                      // 6: reads as 0
                             u"1\t2\r\n1\t2\r\n1\t2\r\n1\t2\r\n1\t2\r\n"),  // 7 to 11: two fields
                       table, kCodePage949);
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(result.skippedLines, (LineNumbers{6, {2, 7, 8, 9, 10}}));
    EXPECT_EQ(result.rulesNotInForce, (LineNumbers{2, {4, 6}}));
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

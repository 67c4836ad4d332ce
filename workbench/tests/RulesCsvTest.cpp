#include "workbench/RulesCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <string>

#include "platform/LegacyCodePage.h"
#include "platform/TextEncoding.h"
#include "rules/RuleFileFormat.h"
#include "workbench/RuleFileLines.h"

namespace {

RuleTable TableOf(std::initializer_list<HoleRule> rules) {
    RuleTable table;
    for (const HoleRule& rule : rules) table.Append(rule);
    return table;
}

constexpr size_t npos = std::string_view::npos;

std::string Utf16Le(std::u16string_view text) {
    std::string bytes;
    for (const char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

std::span<const unsigned char> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

TEST(RulesCsv, WritesTheHeaderAndQuotesOnlyWhereNeeded) {
    const RuleTable table = TableOf(
        {{1, u"101", u"199", u"8.1", u"8.99", u"8.5"}, {0, u"1,5", u"\"x\"", u" 8", u"", u"구멍"}});
    EXPECT_EQ(RulesToCsv(table),
              "enabled,code_from,code_to,diameter_from,diameter_to,diameter_modify\r\n"
              "1,101,199,8.1,8.99,8.5\r\n"
              "0,\"1,5\",\"\"\"x\"\"\",\" 8\",,구멍\r\n");
}

// Every table the module can write comes back from its file through CSV to the same bytes.
TEST(RulesCsv, ExportThenImportGivesTheSameRuleFile) {
    const std::u16string loneSurrogate(1, char16_t{0xD800});
    const RuleTable tables[] = {
        {},
        TableOf({{1, u"101", u"", u"8,5", u"", u"0"}, {0, u"a\"b", u" 1 ", u"", u"x,y", u""}}),
        TableOf({{1, u"코드", u"😀", loneSurrogate, u"\u0001", u"1e400"}}),
        TableOf({{1, u"1\t2", u"3\r\n4", u"", u"", u"8 .5\t"}}),  // saved with spaces
    };
    for (const RuleTable& table : tables) {
        const std::string file = EncodeRuleFile(table);
        const CsvRules imported = RulesFromCsv(
            RulesToCsv(ViewRuleFile(BytesOf(file), SystemCodePageDecoder(), kDefaultLegacyCodePage)
                           .asWritten));
        ASSERT_TRUE(imported.problems.empty()) << imported.problems[0].message;
        EXPECT_EQ(EncodeRuleFile(imported.table), file);
    }
}

// Any text: its CSV cell is no formula to a spreadsheet, and import gives it back.
TEST(RulesCsv, AnyFieldSurvivesSpreadsheetSafetyAndImport) {
    const std::u16string alphabet = u"=+-@'0123456789.eE ,\"x구\x1B";
    const std::regex plainNumber(R"([-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?)");
    std::mt19937 random(15);
    for (int i = 0; i < 20000; ++i) {
        std::u16string text(random() % 7, u' ');
        for (char16_t& c : text) c = alphabet[random() % alphabet.size()];
        const std::string cell = SpreadsheetSafe(Utf8FromUtf16(text, SurrogateForm::ThreeBytes));
        const bool formula = !cell.empty() && std::string_view("=+-@").find(cell[0]) != npos &&
                             !std::regex_match(cell, plainNumber);
        ASSERT_FALSE(formula) << cell;
        const RuleTable table = TableOf({{1, text, u"", text, u"", text}});
        const CsvRules imported = RulesFromCsv(RulesToCsv(table));
        ASSERT_TRUE(imported.problems.empty()) << cell << ": " << imported.problems[0].message;
        ASSERT_EQ(imported.table.rule(1), table.rule(1)) << cell;
    }
    EXPECT_EQ(SpreadsheetSafe("=cmd|' /C calc'!A0"), "'=cmd|' /C calc'!A0");
    EXPECT_EQ(SpreadsheetSafe("''@SUM(1)"), "'''@SUM(1)");
    EXPECT_EQ(SpreadsheetSafe("-8.5e3"), "-8.5e3");
}

TEST(RulesCsv, ReadsWhatSpreadsheetsWrite) {
    const CsvRules imported = RulesFromCsv(
        "\xEF\xBB\xBF"
        "enabled,code_from,code_to,diameter_from,diameter_to,diameter_modify\n"
        "\n"
        ",,,,,\n"
        "1,\"101\",199,\"8,1\",,\" 8 .5 \"\n"
        "0,201,,5,,5.2");
    ASSERT_TRUE(imported.problems.empty()) << imported.problems[0].message;
    ASSERT_EQ(imported.table.count(), 2);
    EXPECT_EQ(imported.table.rule(1), (HoleRule{1, u"101", u"199", u"8,1", u"", u" 8 .5 "}));
    EXPECT_EQ(imported.table.rule(2), (HoleRule{0, u"201", u"", u"5", u"", u"5.2"}));
}

// A spreadsheet that separates fields by semicolons is told by the header; a comma file keeps
// its semicolons as text.
TEST(RulesCsv, ReadsSemicolonsWhereTheHeaderIsSeparatedByThem) {
    std::string semicolonHeader(kRulesCsvHeader);
    std::ranges::replace(semicolonHeader, ',', ';');
    const struct {
        std::string csv;
        char separator;
        HoleRule rule;
    } cases[] = {
        {"\xEF\xBB\xBF" + semicolonHeader + "\r\n1;101;;\"8;1\";8,99;8.5\r\n",
         ';',
         {1, u"101", u"", u"8;1", u"8,99", u"8.5"}},
        {"\r\n;;;;;\r\n" + semicolonHeader + "\n0;'=1;\"\"\"a\"\"\";;;9\n",
         ';',
         {0, u"=1", u"\"a\"", u"", u"", u"9"}},
        {std::string(kRulesCsvHeader) + "\r\n1,101;2,,8;5,,9\r\n",
         ',',
         {1, u"101;2", u"", u"8;5", u"", u"9"}},
    };
    for (const auto& c : cases) {
        const CsvRules imported = RulesFromCsv(c.csv);
        ASSERT_TRUE(imported.problems.empty()) << c.csv << ": " << imported.problems[0].message;
        EXPECT_EQ(imported.separator, c.separator) << c.csv;
        ASSERT_EQ(imported.table.count(), 1) << c.csv;
        EXPECT_EQ(imported.table.rule(1), c.rule) << c.csv;
    }
    // The rows of a semicolon file are split at semicolons only.
    const CsvRules badRow = RulesFromCsv(semicolonHeader + "\r\n1,101,,8,,9\r\n");
    ASSERT_EQ(badRow.problems.size(), 1u);
    EXPECT_EQ(badRow.problems[0].line, 2);
}

struct ImportErrorCase {
    const char* what;
    std::string rows;  // after the header on line 1
    int line;
};

TEST(RulesCsv, ImportNamesTheLineOfEachFault) {
    std::string fiftyRules;
    for (int n = 0; n < 50; ++n) fiftyRules += "1,101,,8,,9\r\n";
    const ImportErrorCase cases[] = {
        {"five columns", "1,101,,8,,9\r\n1,101,,8,9\r\n", 3},
        {"seven columns", "1,101,,8,,9,\r\n", 2},
        {"flag 2", "2,101,,8,,9\r\n", 2},
        {"empty flag", ",101,,8,,9\r\n", 2},
        {"flag with blank", "1 ,101,,8,,9\r\n", 2},
        {"TAB", "1,10\t1,,8,,9\r\n", 2},
        {"LF in quotes", "1,\"10\n1\",,8,,9\r\n", 2},
        {"CR in quotes", "1,101,,8,,\"9\r\"\r\n", 2},
        {"lone CR", "1,101,,8\r,,9\r\n", 2},
        {"not UTF-8", "1,\xC3\x28,,8,,9\r\n", 2},
        {"unterminated quote", "1,101,,8,,9\r\n1,\"101,,8,,9\r\n", 3},
        {"text after closing quote", "1,\"101\"x,,8,,9\r\n", 2},
        {"quote inside a plain field", "1,1\"01,,8,,9\r\n", 2},
        {"50 rules", fiftyRules, 51},
        {"header again", "1,101,,8,,9\r\n" + std::string(kRulesCsvHeader) + "\r\n", 3},
        {"not UTF-8 on line 3", "1,101,,8,,9\r\n1,101,,8,,\xB9\xDA\r\n", 3},
    };
    for (const ImportErrorCase& c : cases) {
        // Appended, not concatenated: GCC 12 warns of bounds it imagines in `string + ...`.
        std::string csv(kRulesCsvHeader);
        csv += "\r\n";
        csv += c.rows;
        const CsvRules imported = RulesFromCsv(csv);
        ASSERT_EQ(imported.problems.size(), 1u) << c.what;
        EXPECT_EQ(imported.problems[0].line, c.line) << c.what;
    }
    EXPECT_EQ(RulesFromCsv("enabled,code_from\r\n1,101,,8,,9\r\n").problems[0].line, 1);
    EXPECT_EQ(RulesFromCsv("").problems.size(), 1u);
    const CsvRules crOnly = RulesFromCsv(std::string(kRulesCsvHeader) + "\r1,101,,8,,9\r");
    ASSERT_EQ(crOnly.problems.size(), 1u);
    EXPECT_NE(crOnly.problems[0].message.find("CR"), std::string::npos);
    const std::u16string header(kRulesCsvHeader.begin(), kRulesCsvHeader.end());
    for (const std::string& utf16 : {"\xFF\xFE" + Utf16Le(header), Utf16Le(header)}) {
        const CsvRules imported = RulesFromCsv(utf16);
        ASSERT_EQ(imported.problems.size(), 1u);
        EXPECT_NE(imported.problems[0].message.find("UTF-16"), std::string::npos);
    }
}

}  // namespace

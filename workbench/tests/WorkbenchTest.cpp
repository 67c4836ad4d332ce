#include "workbench/Workbench.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "platform/LegacyCodePage.h"
#include "platform/SystemFilePort.h"
#include "platform/TextEncoding.h"
#include "rules/RuleFileFormat.h"
#include "texts/RuleFolderText.h"
#include "workbench/FindingCodes.h"
#include "workbench/RuleFileLines.h"
#include "workbench/RulesCsv.h"
#include "workbench/TerminalText.h"

namespace fs = std::filesystem;

namespace {

std::string Utf16Le(std::u16string_view text, bool mark = true) {
    std::string bytes = mark ? "\xFF\xFE" : "";
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::span<const unsigned char> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

RuleFileView View(const std::string& bytes) {
    return ViewRuleFile(BytesOf(bytes), SystemCodePageDecoder(), kDefaultLegacyCodePage);
}

const std::u16string kRule = u"1\t101\t199\t8.1\t8.99\t8.5\r\n";

std::u16string Rules(int count) {
    std::u16string text;
    for (int n = 0; n < count; ++n) text += u"1\t1\t\t8\t\t9\r\n";
    return text;
}

struct FileCase {
    const char* what;
    std::string bytes;
    std::vector<std::string> kinds;     // per line
    std::vector<std::string> findings;  // file-level findings as "code@line"
};

TEST(CheckRuleFile, ClassifiesEveryLineAndReportsWhatTheModuleIgnores) {
    const FileCase cases[] = {
        {"one rule", Utf16Le(kRule), {"rule"}, {}},
        {"blank lines", Utf16Le(u"\r\n" + kRule + u"  \r\n"), {"blank", "rule", "blank"}, {}},
        {"five and seven fields",
         Utf16Le(u"1\t2\t3\t4\t5\r\n" + kRule + u"1\t2\t3\t4\t5\t6\t7\r\n"),
         {"skipped", "rule", "skipped"},
         {"skipped-line@1", "skipped-line@3"}},
        {"fifty rules", Utf16Le(Rules(50)), {}, {"beyond-49@50"}},
        {"UTF-8", "1\t101\t199\t8.1\t8.99\t8.5\n", {"rule"}, {"not-utf16@0"}},
        {"UTF-16BE",
         "\xFE\xFF" + std::string("\0001\0\t\0002", 6),
         {"skipped"},
         {"not-utf16@0", "skipped-line@1"}},
        {"UTF-16LE without mark", Utf16Le(kRule, false), {"rule"}, {"not-utf16@0"}},
        {"UTF-16BE without mark",
         std::string("\0001\0\t\0002\0\t", 8),
         {"skipped"},
         {"not-utf16@0", "skipped-line@1"}},
        // Code page 949, never called UTF-16; a comment is no finding.
        {"ANSI",
         "# \xB1\xB8\xB8\xDB\r\n1\t101\t199\t8.1\t8.99\t8.5\r\n",
         {"comment", "rule"},
         {"legacy-code-page@0"}},
    };
    for (const FileCase& c : cases) {
        const RuleFileView file = View(c.bytes);
        RuleTable decoded;
        DecodeRuleFile(BytesOf(c.bytes), decoded, SystemCodePageDecoder());
        EXPECT_EQ(file.table.count(), decoded.count()) << c.what;
        if (!c.kinds.empty()) {
            std::vector<std::string> kinds;
            for (const FileLine& line : file.lines) kinds.emplace_back(LineKindName(line.kind));
            EXPECT_EQ(kinds, c.kinds) << c.what;
        }
        std::vector<std::string> findings;
        for (const Finding& f : CheckRuleFile(file)) {
            if (f.code == "skipped-line" || f.code == "beyond-49" || f.code == "not-utf16" ||
                f.code == "legacy-code-page") {
                findings.push_back(f.code + "@" + std::to_string(f.line));
            }
        }
        EXPECT_EQ(findings, c.findings) << c.what;
    }
}

TEST(CheckRuleFile, PutsTheRulesLineOnTheirFindings) {
    const std::string bytes = Utf16Le(u"\r\n" + kRule + u"0\t201\t\t5\t\t5.2\r\n");
    bool seen = false;
    for (const Finding& f : CheckRuleFile(View(bytes))) {
        if (f.code != "disabled") continue;
        seen = true;
        EXPECT_EQ(f.rule, 2);
        EXPECT_EQ(f.line, 3);
    }
    EXPECT_TRUE(seen);
}

class Workbench : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "workbench-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Path(const char* name) const { return (folder_ / name).string(); }
    std::string Write(const char* name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    std::optional<std::string> Read(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RunWorkbench(args, out_, err_, files_, false);
    }

    fs::path folder_;
    std::ostringstream out_, err_;
    SystemFilePort files_;
};

TEST_F(Workbench, ExitStatusTellsTheWorstOutcome) {
    const std::string clean = Write("clean.def", Utf16Le(kRule));
    const std::string skipped = Write("skipped.def", Utf16Le(kRule + u"1\t2\r\n"));
    const std::string duplicate = Write("duplicate.def", Utf16Le(kRule + kRule));
    EXPECT_EQ(Run({"check", clean}), kExitClean);
    EXPECT_EQ(Run({"check", duplicate}), kExitWarnings);
    EXPECT_EQ(Run({"check", skipped, "--json"}), kExitErrors);
    EXPECT_EQ(Run({"check", Path("missing.def")}), kExitFileFailed);
    EXPECT_EQ(Run({"export", skipped}), kExitWarnings);  // line 2 is not in the CSV
    EXPECT_EQ(Run({"explain", clean, "--code", "101", "--diameter", "-8.3"}), kExitClean);
    for (const std::vector<std::string>& usage : std::vector<std::vector<std::string>>{
             {},
             {"check"},
             {"check", clean, clean},
             {"frobnicate", clean},
             {"check", clean, "--verbose"},
             {"explain", clean, "--code", "101"},
             {"explain", clean, "--code", "1.5", "--diameter", "8"},
             {"import", clean},
             {"map", clean, "-o", clean},
             {"where"},  // off Windows the program cannot tell
             {"where", clean},

             {"check", clean, "--code-page", "0"},
             {"import", clean, "-o", clean, "--code-page", "949"}}) {
        EXPECT_EQ(Run(usage), kExitUsage) << ::testing::PrintToString(usage);
    }
    EXPECT_EQ(Run({"map", "--json"}), kExitUsage);
    EXPECT_EQ(out_.str(),
              "{\"error\":{\"code\":\"usage\",\"message\":\"파일을 하나 주어야 합니다.\"}}\n");
}

TEST_F(Workbench, CheckJsonHasLinesRulesAndFindings) {
    const std::string file = Write("q.def", Utf16Le(u"1\t7\t\t8.5\t\t9\r\n1\t2\r\n"));
    EXPECT_EQ(Run({"check", "--json", file}), kExitErrors);
    EXPECT_EQ(out_.str(),
              R"({"encoding":"utf-16le-bom","lines":[{"line":1,"kind":"rule","rule":1,)"
              R"("in_force":true},{"line":2,"kind":"skipped","rule":null,"in_force":null}],)"
              R"("rules":[{"rule":1,"enabled":true,)"
              R"("code_from":7,"code_to":7,"diameter_from":8.5,"diameter_to":8.5,)"
              R"("new_diameter":9}],"findings":[{"code":"skipped-line","severity":"error",)"
              R"("line":2,"rule":null,"message":"필드가 2개라 규칙 줄(TAB으로 나눈 필드 6개)이 )"
              R"(아닙니다. 모듈은 이 줄을 적용하지 않고, 다음 저장 때 이 줄은 규칙 파일에서 )"
              R"(빠져 보관 사본 Quillet.def.<날짜-시각>.bak에만 남습니다."}]})"
              "\n");
}

// An "ANSI" file is read in code page 949 unless --code-page names another that iconv has.
TEST_F(Workbench, ReadsAnAnsiFileInTheCodePageGiven) {
    const std::string ansi = Write("ansi.def", "1\t\xB1\xB8\t\t8\t\t9\r\n");
    EXPECT_EQ(Run({"export", ansi}), kExitClean);
    EXPECT_NE(out_.str().find("\r\n1,구,,8,,9"), std::string::npos) << out_.str();
    EXPECT_EQ(Run({"export", ansi, "--code-page", "1252"}), kExitClean);
    EXPECT_NE(out_.str().find("\r\n1,±¸,,8,,9"), std::string::npos) << out_.str();
    EXPECT_EQ(Run({"check", ansi, "--code-page", "12345"}), kExitUsage);
}

TEST_F(Workbench, ImportWritesNothingOnAFaultAndKeepsTheOldFileAsBackup) {
    const std::string rules = Path("Quillet.def");
    const std::string header = std::string(kRulesCsvHeader) + "\r\n";
    const std::string bad = Write("bad.csv", header + "2,1,,8,,9\r\n");
    EXPECT_EQ(Run({"import", bad, "-o", rules}), kExitErrors);
    EXPECT_EQ(err_.str(), bad + ":2: enabled 열은 0 또는 1이어야 합니다: \"2\"\n");
    EXPECT_FALSE(fs::exists(rules));

    const std::string first = Write("first.def", Utf16Le(kRule + u"0\t201\t\t 5\t\t 5.2 \r\n"));
    ASSERT_EQ(Run({"export", first, "-o", Path("first.csv")}), kExitClean);
    ASSERT_EQ(Run({"import", Path("first.csv"), "-o", rules}), kExitClean);
    EXPECT_EQ(Read(rules), Read(first));
    EXPECT_FALSE(fs::exists(rules + ".bak"));

    // What check calls an error is not written without --force; no rules not without
    // --allow-empty.
    const std::string reversed = Write("reversed.csv", header + "\r\n1,101,,9,8,8.5\r\n");
    EXPECT_EQ(Run({"import", reversed, "-o", rules}), kExitErrors);
    EXPECT_TRUE(err_.str().starts_with(reversed + ":3: [오류] reversed-range 규칙 1: "));
    const std::string empty = Write("empty.csv", header + ",,,,,\r\n");
    EXPECT_EQ(Run({"import", empty, "-o", rules, "--json"}), kExitErrors);
    EXPECT_TRUE(out_.str().starts_with(R"({"error":{"code":"no-rules","message":)"));
    EXPECT_EQ(Read(rules), Read(first));
    EXPECT_EQ(Run({"import", reversed, "-o", rules, "--force"}), kExitClean);
    ASSERT_EQ(Run({"import", empty, "-o", rules, "--json", "--allow-empty"}), kExitClean);
    EXPECT_EQ(out_.str(), "{\"file\":\"" + rules +
                              "\",\"rules\":0,\"unchanged\":false,\"backup\":\"" + rules +
                              ".bak\",\"kept_copy\":null,\"dry_run\":false,\"separator\":\",\","
                              "\"warnings\":[],\"diff\":null}\n");
    EXPECT_EQ(Read(rules), "\xFF\xFE");

    fs::permissions(rules, fs::perms::owner_read);
    EXPECT_EQ(Run({"import", Path("first.csv"), "-o", rules}), kExitFileFailed);
    EXPECT_EQ(Read(rules), "\xFF\xFE");
}

// Neither command writes over the file it reads, whatever name reaches it.
TEST_F(Workbench, RefusesToWriteOverItsInput) {
    const std::string rules = Write("Quillet.def", Utf16Le(kRule));
    fs::create_symlink(rules, Path("link.def"));
    EXPECT_EQ(Run({"export", rules, "-o", Path("link.def")}), kExitUsage);
    EXPECT_EQ(Run({"export", rules, "-o", Path("./Quillet.def")}), kExitUsage);
    EXPECT_EQ(Run({"import", rules, "-o", Path("link.def"), "--force"}), kExitUsage);
    EXPECT_EQ(Read(rules), Utf16Le(kRule));
}

// A name that is not UTF-8 is its bytes: the file that its lossy reading would name is
// another file and stays as it is, and another name of the input itself (a hard link whose
// name is not UTF-8 either) is refused, for each command that writes.
TEST_F(Workbench, NamesAreTheirBytesAndTheInputIsKnownByItsIdentity) {
    const std::string rules = Write("r\xEF\xBF\xBD.def", Utf16Le(kRule));  // U+FFFD
    const std::string csv = Path("c\xEF\xBF\xBD.csv");
    ASSERT_EQ(Run({"export", rules, "-o", csv}), kExitClean);
    const std::string csvBytes = *Read(csv);
    fs::create_hard_link(rules, Path("r\xFE"));
    fs::create_hard_link(csv, Path("c\xFE"));
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"export", rules, "-o", Path("r\xFF.def")}, kExitClean},
        {{"import", csv, "-o", Path("c\xFF.csv")}, kExitClean},
        {{"map", rules, "--svg", Path("r\xFF.svg")}, kExitClean},
        {{"export", rules, "-o", Path("r\xFE")}, kExitUsage},
        {{"import", csv, "-o", Path("c\xFE"), "--force"}, kExitUsage},
        {{"map", rules, "--svg", Path("r\xFE")}, kExitFileFailed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), c.status) << ::testing::PrintToString(c.args) << err_.str();
        EXPECT_EQ(Read(rules), Utf16Le(kRule));
        EXPECT_EQ(Read(csv), csvBytes);
    }
    EXPECT_TRUE(
        Read(Path("r\xFF.def"))->starts_with(std::string(kUtf8Mark).append(kRulesCsvHeader)));
    EXPECT_EQ(Read(Path("c\xFF.csv")), Utf16Le(kRule));
}

// A device, a FIFO or /dev/stdout is never replaced by a file, and no file of the write is
// left behind. (As root, replacing /dev/null would succeed; it is only ever refused here.)
TEST_F(Workbench, OutputsThatAreNoFileAreRefused) {
    const std::string rules = Write("q.def", Utf16Le(kRule));
    ASSERT_EQ(Run({"export", rules, "-o", Path("q.csv")}), kExitClean);
    const std::string fifo = Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& target : {fifo, std::string("/dev/null")}) {
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"export", rules, "-o", target},
                 {"import", Path("q.csv"), "-o", target},
                 {"import", Path("q.csv"), "-o", target, "--dry-run"},
                 {"map", rules, "--svg", target}}) {
            EXPECT_EQ(Run(args), kExitFileFailed) << ::testing::PrintToString(args);
            EXPECT_NE(err_.str().find("장치, FIFO 또는 소켓"), std::string::npos) << err_.str();
        }
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_fifo(fifo));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder_)) {
        left.push_back(entry.path().filename().string());
    }
    std::ranges::sort(left);
    EXPECT_EQ(left, (std::vector<std::string>{"fifo", "q.csv", "q.def"}));
}

TEST_F(Workbench, ErrorsNameTheRealCause) {
    const std::string rules = Write("q.def", Utf16Le(kRule));
    fs::create_symlink("loop2", Path("loop1"));
    fs::create_symlink("loop1", Path("loop2"));
    const std::string big = Write("big.def", "");
    fs::resize_file(big, kMostFileBytes + 1);  // sparse: no disk space taken
    const struct {
        std::vector<std::string> args;
        const char* cause;
    } cases[] = {
        {{"check", Path("loop1")}, "기호 링크가 순환하여 파일에 이르지 않습니다"},
        {{"export", rules, "-o", Path("loop1")}, "기호 링크가 순환하여 파일에 이르지 않습니다"},
        {{"check", big}, "(268435457바이트로, 규칙 파일과 CSV에 허용되는 256 MB를 넘습니다)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), kExitFileFailed) << ::testing::PrintToString(c.args);
        EXPECT_NE(err_.str().find(c.cause), std::string::npos) << err_.str();
    }
}

TEST(TerminalText, EscapesWhatWouldChangeHowTheTextAroundIsShown) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"a\u202Eb\u202Ac", "a\\u202Eb\\u202Ac"},  // override, embedding
        {"\u2066\u2069\u200E\u200F\u061C", "\\u2066\\u2069\\u200E\\u200F\\u061C"},
        {"line\u2028para\u2029", "line\\u2028para\\u2029"},
        {"\u200D\u2030\u202F\u2065구멍", "\u200D\u2030\u202F\u2065구멍"},  // neighbours
        {"\x1B\u0085\r\n", "\\x1B\\u0085\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(TerminalText(c.text), c.shown) << c.shown;
}

// Each finding names its code, and the list of codes (`codes`, shipped as
// release/finding-codes.txt) has every one.
TEST(CheckRules, ReadsOverflowAndInfinityAsTheyAreRead) {
    RuleTable table;
    table.Append({1, u"2147483648", u" -000002147483649", u"1e309", u"", u"8"});
    table.Append({1, u"2147483647", u"-2147483648", u"8", u"9", u"-1e400x"});
    std::vector<std::string> found;
    for (const Finding& f : CheckRules(table)) {
        if (f.code != "disabled") found.push_back(f.code + "@" + std::to_string(f.rule));
        EXPECT_TRUE(std::ranges::any_of(AllFindingCodes(), [&](const FindingCode& code) {
            return code.code == f.code && code.severity == f.severity;
        })) << f.code;
    }
    EXPECT_EQ(found, (std::vector<std::string>{"code-overflow@1", "code-overflow@1", "not-finite@1",
                                               "reversed-range@1", "not-finite@2", "not-in-force@2",
                                               "partial-number@2", "reversed-range@2"}));
}

TEST_F(Workbench, CodesListIsTheShippedOne) {
    ASSERT_EQ(Run({"codes"}), kExitClean);
    EXPECT_EQ(out_.str(), Read(QUILLET_SOURCE_DIR "/release/finding-codes.txt"));
}

TEST_F(Workbench, MapAndExplainSayWhatAShopReads) {
    const std::string file = Write("q.def", Utf16Le(u"1\t101\t\t8.1\t8.99\t8.5\r\n"
                                                    u"0\t101\t\t8.3\t\t7\r\n"
                                                    u"1\t101\t\t8\t9.5\t8.6\r\n"
                                                    u"1\t201\t\t9\t8\t1\r\n"));
    ASSERT_EQ(Run({"map", file}), kExitClean);
    EXPECT_EQ(out_.str(),
              "코드 101 ~ 101\n"
              "  지름 8 이상 8.1 미만 → 8.6 (규칙 3)\n"
              "  지름 8.1 이상 8.99 이하 → 8.6 (규칙 1, 3)\n"
              "  지름 8.99 초과 9.5 이하 → 8.6 (규칙 3)\n"
              "나열되지 않은 코드와 지름은 그대로입니다.\n");
    ASSERT_EQ(Run({"explain", file, "--code", "101", "--diameter", "8.3"}), kExitClean);
    EXPECT_NE(out_.str().find("규칙 2: 꺼져 있어 건너뜀, 그대로 8.5\n"), std::string::npos);
}

// Bytes that are not UTF-8 in a file name, a rule text, a CSV field or a command still give
// JSON that a strict parser reads; text for a terminal shows control characters escaped.
TEST_F(Workbench, OutputIsValidJsonAndHarmlessText) {
    const std::string file = Write("q\xFF.def", Utf16Le(u"1\t\x1B[2J\xD800\t\t8\t\t9\r\n"));
    const std::string csv = Write("q.csv", std::string(kRulesCsvHeader) + "\r\n1,\xC0,,8,,9\r\n");
    const std::vector<std::vector<std::string>> runs = {{"check", file, "--json"},
                                                        {"export", file, "--json"},
                                                        {"import", csv, "-o", Path("o"), "--json"},
                                                        {"che\xE9"
                                                         "ck",
                                                         "--json"},
                                                        {"check", Path("missing\xFE"), "--json"},
                                                        {"codes", "--json"}};
    for (const std::vector<std::string>& run : runs) {
        Run(run);
        EXPECT_TRUE(nlohmann::json::accept(out_.str())) << out_.str();
    }
    EXPECT_EQ(Run({"check", file}), kExitErrors);
    EXPECT_EQ(out_.str().find('\x1B'), std::string::npos);
    EXPECT_NE(out_.str().find("\\x1B[2J"), std::string::npos);
    EXPECT_EQ(Run({"export", file, "-o", "--json"}), kExitClean);
    EXPECT_TRUE(fs::exists("--json"));
    fs::remove("--json");
}

// A code written as "120.0", as data tools write whole numbers, reads as 120, and its finding
// says to write "120"; a code with another fraction gets no such advice.
TEST(CheckRules, NamesTheWholeNumberForACodeWrittenWithAZeroFraction) {
    RuleTable table;
    table.Append({1, u"120.0", u" 130. ", u"8", u"", u"9"});
    table.Append({1, u"120.5", u"120.0x", u"8.0", u"", u"9"});
    std::vector<std::string> advice;
    for (const Finding& f : CheckRules(table)) {
        if (f.code != "partial-number") continue;
        const size_t at = f.message.find("(으)로 쓰십시오");
        advice.push_back(std::to_string(f.rule) + ":" +
                         (at == std::string::npos ? "-" : f.message.substr(at - 5, 5)));
    }
    EXPECT_EQ(advice, (std::vector<std::string>{"1:\"120\"", "1:\"130\"", "2:-", "2:-"}));
}

// A CSV file starts with the UTF-8 mark that spreadsheets look for, unless --no-bom; standard
// output does not. Import reads either, and a file whose header a spreadsheet separated by
// semicolons, saying so on one line.
TEST_F(Workbench, CsvFilesCarryTheMarkAndComeBackInEitherSeparator) {
    const std::string rules =
        Write("q.def", Utf16Le(u"1\t101\t199\t8.1\t8.99\t8.5\r\n0\t201\t\t5\t\t5.2\r\n"));
    ASSERT_EQ(Run({"export", rules}), kExitClean);
    const std::string csv = out_.str();
    EXPECT_TRUE(csv.starts_with(kRulesCsvHeader)) << csv;
    ASSERT_EQ(Run({"export", rules, "-o", Path("marked.csv")}), kExitClean);
    EXPECT_EQ(Read(Path("marked.csv")), std::string(kUtf8Mark) + csv);
    ASSERT_EQ(Run({"export", rules, "-o", Path("plain.csv"), "--no-bom"}), kExitClean);
    EXPECT_EQ(Read(Path("plain.csv")), csv);
    std::string semicolons = std::string(kUtf8Mark) + csv;
    std::ranges::replace(semicolons, ',', ';');
    Write("semicolons.csv", semicolons);
    for (const char* name : {"marked.csv", "plain.csv", "semicolons.csv"}) {
        const std::string target = Path(name) + ".def";
        EXPECT_EQ(Run({"import", Path(name), "-o", target}), kExitClean) << name << err_.str();
        EXPECT_EQ(Read(target), Read(rules)) << name;
        const bool told = std::string_view(name) == "semicolons.csv";
        EXPECT_EQ(err_.str(), told ? "quillet-rules: " + Path(name) +
                                         ": 머리글이 세미콜론(;)으로 나뉘어 있어 세미콜론으로 "
                                         "나뉜 CSV로 읽습니다.\n"
                                   : "");
    }
}

// A spreadsheet that saves in a code page without Korean leaves "??" of "구멍": a question
// mark where the file to be replaced holds another character is a warning naming the CSV line
// and rule, also beside the errors that stop the import.
TEST_F(Workbench, ImportWarnsOfQuestionMarksWhereTheFileHasOtherCharacters) {
    const std::string target =
        Write("Quillet.def", Utf16Le(u"1\t101\t?\t8\t\t8.5\r\n0\t구멍\t\t5\t\t5.2\r\n"));
    const std::string header = std::string(kRulesCsvHeader) + "\r\n";
    // Rule 1 has its question mark already, rule 3 has no rule to compare with.
    const std::string csv =
        Write("q.csv", header + "1,101,?,8,,8.5\r\n\r\n0,??,,5,,5.2\r\n1,??,,8,,9\r\n");
    const std::string warning = csv + ":4: [경고] 규칙 2의 code_from \"??\": ?인 자리에 지금 " +
                                target + "에는 다른 글자가 있습니다 (\"구멍\").";
    EXPECT_EQ(Run({"import", csv, "-o", target}), kExitErrors);  // no-number in rules 2 and 3
    EXPECT_TRUE(err_.str().starts_with(warning)) << err_.str();
    EXPECT_EQ(Run({"import", csv, "-o", target, "--force", "--dry-run"}), kExitWarnings);
    EXPECT_TRUE(err_.str().starts_with(warning)) << err_.str();
    EXPECT_EQ(std::ranges::count(err_.str(), '\n'), 1);
    ASSERT_EQ(Run({"import", csv, "-o", target, "--force", "--json"}), kExitWarnings);
    const nlohmann::json report = nlohmann::json::parse(out_.str());
    ASSERT_EQ(report["warnings"].size(), 1u);
    EXPECT_EQ(report["warnings"][0]["line"], 4);
    EXPECT_EQ(report["warnings"][0]["rule"], 2);
    EXPECT_EQ(report["warnings"][0]["current"], "구멍");
    EXPECT_EQ(Read(target),
              Utf16Le(u"1\t101\t?\t8\t\t8.5\r\n0\t??\t\t5\t\t5.2\r\n1\t??\t\t8\t\t9\r\n"));
    EXPECT_TRUE(fs::exists(target + ".bak"));
}

// --dry-run says in diff's words what the import would change in the file, and writes nothing,
// also where there is no file yet.
TEST_F(Workbench, ImportDryRunPrintsTheDiffAndWritesNothing) {
    const std::string target = Write("Quillet.def", Utf16Le(u"1\t101\t\t8\t8.1\t8.5\r\n"));
    const std::string csv = Write(
        "new.csv", std::string(kRulesCsvHeader) + "\r\n1,101,,8,8.1,8.6\r\n1,201,,5,,5.2\r\n");
    ASSERT_EQ(Run({"import", csv, "-o", Path("imported.def")}), kExitClean);
    const std::string imported = Path("imported.def");
    const auto diffWords = [&](const std::string& before) {
        Run({"diff", before, imported});
        const std::string text = out_.str();
        const std::string named = "이전: " + before + "\n새: " + imported + "\n";
        EXPECT_TRUE(text.starts_with(named)) << text;
        return text.substr(named.size());
    };
    const std::string diff = diffWords(target);
    ASSERT_EQ(Run({"import", csv, "-o", target, "--dry-run"}), kExitClean);
    EXPECT_EQ(out_.str(), "이전: " + target + "\n새: " + csv + "\n" + diff +
                              "--dry-run: " + target + "에 쓰지 않았습니다 (규칙 2개).\n");
    EXPECT_EQ(Read(target), Utf16Le(u"1\t101\t\t8\t8.1\t8.5\r\n"));
    EXPECT_FALSE(fs::exists(target + ".bak"));

    const std::string none = Path("none.def");
    const std::string fromNothing = diffWords(Write("empty.def", "\xFF\xFE"));
    ASSERT_EQ(Run({"import", csv, "-o", none, "--dry-run"}), kExitClean);
    EXPECT_EQ(out_.str(), "이전: " + none + " (없음)\n새: " + csv + "\n" + fromNothing +
                              "--dry-run: " + none + "에 쓰지 않았습니다 (규칙 2개).\n");
    EXPECT_FALSE(fs::exists(none));

    ASSERT_EQ(Run({"diff", target, imported, "--json"}), kExitWarnings);  // 1: they differ
    nlohmann::json expected = nlohmann::json::parse(out_.str());
    expected.erase("picture");
    ASSERT_EQ(Run({"import", csv, "-o", target, "--dry-run", "--json"}), kExitClean);
    const nlohmann::json report = nlohmann::json::parse(out_.str());
    EXPECT_EQ(report["diff"], expected);
    EXPECT_EQ(report["dry_run"], true);
    EXPECT_EQ(report["unchanged"], false);
    ASSERT_EQ(Run({"import", csv, "-o", imported, "--dry-run", "--json"}), kExitClean);
    EXPECT_EQ(nlohmann::json::parse(out_.str())["unchanged"], true);
}

// Every command with --json prints one document that a strict parser reads and nothing on
// standard error; intervals of diff carry the members of map's, a written picture is named.
TEST_F(Workbench, EveryCommandWithJsonPrintsOneStrictDocument) {
    const std::string empty = Write("empty.def", "\xFF\xFE");
    const std::string rules =
        Write("q.def", Utf16Le(u"1\t101\t\t8.1\t8.99\t8.5\r\n1\t101\t\t8\t9.5\t8.6\r\n"));
    const std::string csv = Path("q.csv");
    ASSERT_EQ(Run({"export", rules, "-o", csv}), kExitClean);
    fs::create_directory(folder_ / "journal");
    Write("journal/CAM1.csv",
          "\xEF\xBB\xBFtime,user,computer,action,rewrite,rule_file,rule_file_sha256,hole,step,"
          "code,before,after,rules\r\n"
          "2024-05-01T14:03:07.250+09:00,kim,CAM1,rewrite,aa,Q.def,00,12,1,101,8.3,8.6,1\r\n");
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::vector<const char*> members;
    } cases[] = {
        {"version", {"--version", "--json"}, {"program", "version"}},
        {"help", {"help", "--json"}, {"version", "commands", "common_options", "notes"}},
        {"check", {"check", rules, "--json"}, {"encoding", "lines", "rules", "findings"}},
        {"map", {"map", rules, "--json"}, {"segments", "picture"}},
        {"map-svg", {"map", rules, "--svg", Path("m.svg"), "--json"}, {"segments", "picture"}},
        {"diff", {"diff", empty, rules, "--json"}, {"same", "segments", "picture"}},
        {"diff-svg", {"diff", empty, rules, "--json", "--svg", Path("d.svg")}, {"picture"}},
        {"explain",
         {"explain", rules, "--code", "101", "--diameter", "8.3", "--json"},
         {"steps", "result", "changed"}},
        {"export", {"export", rules, "--json"}, {"encoding", "output", "bom", "rules"}},
        {"export-o", {"export", rules, "-o", Path("o.csv"), "--json"}, {"output", "bom"}},
        {"dry-run",
         {"import", csv, "-o", Path("i.def"), "--dry-run", "--json"},
         {"file", "dry_run", "separator", "warnings", "diff"}},
        {"import", {"import", csv, "-o", Path("i.def"), "--json"}, {"file", "backup", "diff"}},
        {"codes", {"codes", "--json"}, {"codes"}},
        {"journal", {"journal", folder_.string(), "--json"}, {"acts", "problems"}},
        {"where", {"where", "--json"}, {"error"}},  // off Windows
        {"missing", {"check", Path("missing.def"), "--json"}, {"error"}},
        {"usage", {"frobnicate", "--json"}, {"error"}},
    };
    std::map<std::string, nlohmann::json> documents;
    for (const auto& c : cases) {
        Run(c.args);
        nlohmann::json document;
        ASSERT_NO_THROW(document = nlohmann::json::parse(out_.str())) << c.name << out_.str();
        EXPECT_EQ(err_.str(), "") << c.name;
        for (const char* member : c.members) EXPECT_TRUE(document.contains(member)) << c.name;
        documents[c.name] = document;
    }
    ASSERT_EQ(Run({"--version"}), kExitClean);
    EXPECT_EQ("quillet-rules " + documents["version"]["version"].get<std::string>() + "\n",
              out_.str());
    std::map<std::string, std::set<std::string>> options;
    for (const nlohmann::json& command : documents["help"]["commands"]) {
        for (const nlohmann::json& option : command["options"]) {
            options[command["command"]].insert(option["option"]);
        }
    }
    EXPECT_EQ(options["import"], (std::set<std::string>{"--force", "--allow-empty", "--dry-run"}));
    EXPECT_TRUE(options["export"].contains("--no-bom"));
    EXPECT_EQ(documents["map"]["picture"], nullptr);
    EXPECT_EQ(documents["map-svg"]["picture"], Path("m.svg"));
    EXPECT_EQ(documents["diff-svg"]["picture"], Path("d.svg"));
    // From no rules to the table, diff has map's pieces, each end as map reads it ("8.1 미만").
    const nlohmann::json& mapped = documents["map"]["segments"][0]["changes"];
    const nlohmann::json& differing = documents["diff"]["segments"][0]["changes"];
    ASSERT_EQ(mapped.size(), differing.size());
    for (size_t i = 0; i < mapped.size(); ++i) {
        for (const char* member : {"low", "high", "lower", "upper"}) {
            EXPECT_EQ(differing[i][member], mapped[i][member]) << member << i;
        }
        EXPECT_EQ(differing[i]["new"]["result"], mapped[i]["result"]);
    }
    EXPECT_EQ(mapped[0]["upper"], (nlohmann::json{{"value", 8.1}, {"included", false}}));
}

}  // namespace

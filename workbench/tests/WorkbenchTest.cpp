#include "workbench/Workbench.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "rules/LegacyCodePage.h"
#include "rules/RuleFileFormat.h"
#include "workbench/RuleFileLines.h"
#include "workbench/RulesCsv.h"

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
        // Code page 949, never called UTF-16.
        {"ANSI",
         "# \xB1\xB8\xB8\xDB\r\n1\t101\t199\t8.1\t8.99\t8.5\r\n",
         {"skipped", "rule"},
         {"legacy-code-page@0", "skipped-line@1"}},
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
        return RunWorkbench(args, out_, err_);
    }

    fs::path folder_;
    std::ostringstream out_, err_;
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
              R"({"encoding":"utf-16le-bom","lines":[{"line":1,"kind":"rule","rule":1},)"
              R"({"line":2,"kind":"skipped","rule":null}],"rules":[{"rule":1,"enabled":true,)"
              R"("code_from":7,"code_to":7,"diameter_low":8.5,"diameter_high":8.5,)"
              R"("new_diameter":9}],"findings":[{"code":"skipped-line","severity":"error",)"
              R"("line":2,"rule":null,"message":"필드가 2개라 모듈이 읽지 않는 줄입니다. )"
              R"(규칙 줄은 TAB으로 나눈 필드 6개입니다."}]})"
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
    const std::string bad =
        Write("bad.csv", std::string(kRulesCsvHeader) + "\r\n" + "2,1,,8,,9\r\n");
    EXPECT_EQ(Run({"import", bad, "-o", rules}), kExitErrors);
    EXPECT_EQ(err_.str(), bad + ":2: enabled 열은 0 또는 1이어야 합니다: \"2\"\n");
    EXPECT_FALSE(fs::exists(rules));

    const std::string first = Write("first.def", Utf16Le(kRule + u"0\t201\t\t 5\t\t5 .2\r\n"));
    ASSERT_EQ(Run({"export", first, "-o", Path("first.csv")}), kExitClean);
    ASSERT_EQ(Run({"import", Path("first.csv"), "-o", rules}), kExitClean);
    EXPECT_EQ(Read(rules), Read(first));
    EXPECT_FALSE(fs::exists(rules + ".bak"));

    const std::string second = Write("second.csv", std::string(kRulesCsvHeader) + "\r\n");
    ASSERT_EQ(Run({"import", second, "-o", rules, "--json"}), kExitClean);
    EXPECT_EQ(out_.str(),
              "{\"file\":\"" + rules + "\",\"rules\":0,\"backup\":\"" + rules + ".bak\"}\n");
    EXPECT_EQ(Read(rules), "\xFF\xFE");
    EXPECT_EQ(Read(rules + ".bak"), Read(first));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 6);

    fs::permissions(rules, fs::perms::owner_read);
    EXPECT_EQ(Run({"import", Path("first.csv"), "-o", rules}), kExitFileFailed);
    EXPECT_EQ(Read(rules), "\xFF\xFE");
}

}  // namespace

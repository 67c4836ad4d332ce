// The rule file reader and writer on a real file system, through the same sources that go
// into Quillet.dll (with the writer's test seam), in a folder of each test's own. What the
// user is told about the outcomes is tested with the module itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "E2eSupport.h"
#include "platform/FilePaths.h"
#include "platform/Handles.h"
#include "platform/WideText.h"
#include "rules/RuleFile.h"
#include "rules/RuleFileFormat.h"
#include "rules/RuleFileTestSeam.h"
#include "testhost/TextUtf8.h"

namespace {

constexpr wchar_t kSaveInterruptedMode[] = L"--save-interrupted";
constexpr unsigned kInterruptedSaveExitCode = 86;

RuleTable TableOf(std::initializer_list<HoleRule> rules) {
    RuleTable table;
    for (const HoleRule& rule : rules) table.Append(rule);
    return table;
}

RuleTable NewRules() {
    return TableOf({{1, u"301", u"", u"10", u"", u"10.2"}});
}

const Bytes kOldFile = Utf16Le(u"1\t101\t199\t8.1\t8.99\t8.5\r\n0\t201\t299\t5\t5.5\t5.2\r\n");

UniqueFile OpenExclusively(const std::wstring& path, DWORD access = GENERIC_READ) {
    return UniqueFile(CreateFileW(path.c_str(), access, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

class RuleFileTest : public ::testing::Test {
protected:
    void ExpectFailure(const RuleFileSaveResult& saved, DWORD error) const {
        EXPECT_EQ(saved.path, path_);
        EXPECT_EQ(saved.error, error);
    }

    TempFolder folder_;
    const std::wstring path_ = folder_.File(L"Quillet.def");
};

using RuleFileSave = RuleFileTest;
using RuleFileLoad = RuleFileTest;

TEST_F(RuleFileSave, WritesEveryRuleAsOneUtf16LineWithByteOrderMark) {
    const RuleTable table = TableOf({{1, u"101", u"199", u"8.1", u"8.99", u"8.5"},
                                     {7, u"구멍", u"", u"5.0", u"", u"5.2"},
                                     {0, u"", u"", u"", u"", u""}});
    ASSERT_TRUE(SaveRuleFileTo(path_, table).succeeded());
    EXPECT_EQ(ReadBytes(path_), Utf16Le(u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
                                        u"1\t구멍\t\t5.0\t\t5.2\r\n"
                                        u"0\t\t\t\t\t\r\n"));
    EXPECT_EQ(FileNamesIn(folder_.path()), std::vector<std::wstring>{L"Quillet.def"});
}

TEST_F(RuleFileSave, SeparatorsInsideAFieldAreWrittenAsSpacesSoTheRuleReloads) {
    ASSERT_TRUE(SaveRuleFileTo(path_, TableOf({{1, u"1\t2", u"3\r4", u"5\n6", u"7", u"8 .\t5"}}))
                    .succeeded());
    EXPECT_EQ(ReadBytes(path_), Utf16Le(u"1\t1 2\t3 4\t5 6\t7\t8 . 5\r\n"));
    RuleTable reloaded;
    ASSERT_TRUE(LoadRuleFileFrom(path_, reloaded).succeeded());
    ASSERT_EQ(reloaded.count(), 1);
    EXPECT_EQ(reloaded.rule(1), (HoleRule{1, u"1 2", u"3 4", u"5 6", u"7", u"8.5"}));
}

TEST_F(RuleFileSave, ReplacesALongerOldFileCompletely) {
    WriteBytes(path_, kOldFile);
    ASSERT_TRUE(SaveRuleFileTo(path_, NewRules()).succeeded());
    EXPECT_EQ(ReadBytes(path_), Utf16Le(u"1\t301\t\t10\t\t10.2\r\n"));
    EXPECT_EQ(FileNamesIn(folder_.path()), std::vector<std::wstring>{L"Quillet.def"});
}

TEST_F(RuleFileSave, AFullTableLoadsBackUnchanged) {
    RuleTable table;
    for (int n = 1; n <= RuleTable::kCapacity; ++n) {
        const std::u16string code = ToU16(std::to_wstring(100 + n));
        table.Append({n % 3 == 0 ? 0 : 1, code, code + u"9", u" 8.1", u"8.99 ", u"8.5"});
    }
    ASSERT_TRUE(SaveRuleFileTo(path_, table).succeeded());
    RuleTable reloaded;
    ASSERT_TRUE(LoadRuleFileFrom(path_, reloaded).succeeded());
    ASSERT_EQ(reloaded.count(), table.count());
    for (int n = 1; n <= table.count(); ++n) EXPECT_EQ(reloaded.rule(n), table.rule(n)) << n;
}

TEST_F(RuleFileSave, TargetHeldOpenByAnotherHandleStaysWholeAndIsReported) {
    WriteBytes(path_, kOldFile);
    {
        const UniqueFile holder = OpenExclusively(path_);
        ASSERT_TRUE(holder);
        const RuleFileSaveResult saved = SaveRuleFileTo(path_, NewRules());
        EXPECT_FALSE(saved.succeeded());
        EXPECT_EQ(saved.path, path_);
    }
    EXPECT_EQ(ReadBytes(path_), kOldFile);
    EXPECT_EQ(FileNamesIn(folder_.path()), std::vector<std::wstring>{L"Quillet.def"});
}

TEST_F(RuleFileSave, ReadOnlyTargetIsRefusedAndLeftAsItWas) {
    WriteBytes(path_, kOldFile);
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectFailure(SaveRuleFileTo(path_, NewRules()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadBytes(path_), kOldFile);
    EXPECT_NE(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(FileNamesIn(folder_.path()), std::vector<std::wstring>{L"Quillet.def"});
}

TEST_F(RuleFileSave, TemporaryFileHeldByAnotherHandleFailsTheSave) {
    WriteBytes(path_, kOldFile);
    const std::wstring temporary = path_ + L".tmp";
    WriteBytes(temporary, Bytes{'x'});
    {
        const UniqueFile holder = OpenExclusively(temporary);
        ASSERT_TRUE(holder);
        ExpectFailure(SaveRuleFileTo(path_, NewRules()), ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(ReadBytes(path_), kOldFile);
    EXPECT_EQ(ReadBytes(temporary), Bytes{'x'}) << "another program's file must be left alone";
}

TEST_F(RuleFileSave, MissingFolderIsReported) {
    const std::wstring path = folder_.File(L"missing\\Quillet.def");
    const RuleFileSaveResult saved = SaveRuleFileTo(path, NewRules());
    EXPECT_EQ(saved.path, path);
    EXPECT_EQ(saved.error, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FileExists(path));
}

TEST_F(RuleFileSave, FolderOfTheFilesNameIsNotReplaced) {
    ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
    ExpectFailure(SaveRuleFileTo(path_, NewRules()), ERROR_ACCESS_DENIED);
    EXPECT_NE(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// A save that dies between writing the temporary file and the replace leaves the old file
// whole; the next save goes through over the leftover temporary file.
TEST_F(RuleFileSave, InterruptedSaveLeavesTheOldFileWhole) {
    WriteBytes(path_, kOldFile);
    EXPECT_EQ(
        RunProcess(ThisProgram(), std::wstring(kSaveInterruptedMode) + L" \"" + path_ + L"\""),
        static_cast<long>(kInterruptedSaveExitCode));
    EXPECT_EQ(ReadBytes(path_), kOldFile);
    ASSERT_TRUE(SaveRuleFileTo(path_, NewRules()).succeeded());
    EXPECT_EQ(ReadBytes(path_), Utf16Le(u"1\t301\t\t10\t\t10.2\r\n"));
    EXPECT_EQ(FileNamesIn(folder_.path()), std::vector<std::wstring>{L"Quillet.def"});
}

// ---- Loading ----

TEST_F(RuleFileLoad, MissingFileIsReportedAndLeavesTheTableEmpty) {
    RuleTable table = NewRules();
    const RuleFileLoadResult loaded = LoadRuleFileFrom(path_, table);
    EXPECT_EQ(loaded.path, path_);
    EXPECT_EQ(loaded.error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(table.count(), 0);
}

// The reader shares nothing: even a reader that allows others to read keeps it out.
TEST_F(RuleFileLoad, FileOpenElsewhereIsReportedAsASharingViolation) {
    WriteBytes(path_, kOldFile);
    const UniqueFile other(CreateFileW(path_.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other);
    RuleTable table = NewRules();
    EXPECT_EQ(LoadRuleFileFrom(path_, table).error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(table.count(), 0);
}

// Marking the file read-only protects it from saves, not from being read.
TEST_F(RuleFileLoad, ReadOnlyFileIsRead) {
    WriteBytes(path_, Utf16Le(u"1\t101\t\t8\t\t9\r\n"));
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    RuleTable table;
    const RuleFileLoadResult loaded = LoadRuleFileFrom(path_, table);
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(loaded.succeeded());
    EXPECT_EQ(table.count(), 1);
}

TEST_F(RuleFileLoad, ReadsFilesWithAndWithoutByteOrderMark) {
    const std::u16string text = u"1\t101\t199\t8.1\t8.99\t8 .5\r\n0\t7\t\t1\t\t2\n1\tx\t\t\t\t3";
    for (bool bom : {true, false}) {
        WriteBytes(path_, Utf16Le(text, bom));
        RuleTable table;
        ASSERT_TRUE(LoadRuleFileFrom(path_, table).succeeded()) << "bom " << bom;
        ASSERT_EQ(table.count(), 3) << "bom " << bom;
        EXPECT_EQ(table.rule(1), (HoleRule{1, u"101", u"199", u"8.1", u"8.99", u"8.5"}));
        EXPECT_EQ(table.rule(2), (HoleRule{0, u"7", u"", u"1", u"", u"2"}));
        EXPECT_EQ(table.rule(3), (HoleRule{1, u"x", u"", u"", u"", u"3"}));
    }
}

TEST_F(RuleFileLoad, EmptyFilesGiveAnEmptyTableWithoutMessage) {
    for (const Bytes& bytes : {Bytes{}, Bytes{0xFF, 0xFE}, Utf16Le(u"\r\n\r\n")}) {
        WriteBytes(path_, bytes);
        RuleTable table = NewRules();
        EXPECT_TRUE(LoadRuleFileFrom(path_, table).succeeded());
        EXPECT_EQ(table.count(), 0);
    }
}

std::u16string NumberedRuleLines(int count) {
    std::u16string text;
    for (int n = 1; n <= count; ++n) {
        text += u"1\t" + ToU16(std::to_wstring(n)) + u"\t\t1\t\t2\r\n";
    }
    return text;
}

TEST_F(RuleFileLoad, LinesBeyondTheFullTableAreCountedAsIgnored) {
    for (int extra : {0, 3}) {
        WriteBytes(path_, Utf16Le(NumberedRuleLines(RuleTable::kCapacity + extra)));
        RuleTable table;
        const RuleFileLoadResult loaded = LoadRuleFileFrom(path_, table);
        ASSERT_TRUE(loaded.succeeded());
        EXPECT_EQ(loaded.lines.ignoredLines, extra);
        ASSERT_EQ(table.count(), RuleTable::kCapacity);
        for (int n = 1; n <= table.count(); ++n) {
            EXPECT_EQ(table.rule(n).CodeFrom, ToU16(std::to_wstring(n)));
        }
    }
}

// The modes in which a test above runs this program as a child process.
int RunChildMode(const std::vector<std::wstring>& arguments) {
    if (arguments.size() == 2 && arguments[0] == kSaveInterruptedMode) {
        SaveRuleFileTo(arguments[1], NewRules(),
                       [] { TerminateProcess(GetCurrentProcess(), kInterruptedSaveExitCode); });
        return 1;  // not interrupted
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wstring(argv[1]).starts_with(L"--"))
        return RunChildMode(std::vector<std::wstring>(argv + 1, argv + argc));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

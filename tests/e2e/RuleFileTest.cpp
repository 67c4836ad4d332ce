// The rule store on a real Windows file system through the module's own file port, in a
// folder of each test's own: sharing, read-only files, names in use, two processes saving
// at once. The store's decisions (backup, kept copy, a missing file, every step's failure) are
// tested natively with a fake port; what the user is told is tested with the module itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "E2eSupport.h"
#include "platform/Handles_win.h"
#include "platform/LegacyCodePage.h"
#include "platform/SystemFilePort.h"
#include "platform/WideText_win.h"
#include "rules/RuleFileFormat.h"
#include "rules/RuleStore.h"
#include "rules/RuleText.h"

namespace {

using namespace std::string_view_literals;

constexpr wchar_t kSaveRaceMode[] = L"--save-race";
constexpr wchar_t kHoldMode[] = L"--hold";

RuleTable TableOf(std::initializer_list<HoleRule> rules) {
    RuleTable table;
    for (const HoleRule& rule : rules) table.Append(rule);
    return table;
}

FileSave Save(const std::wstring& path, const RuleTable& table) {
    SystemFilePort files;
    return RuleStore(files, ToU16(path)).Save(table);
}

RuleFileLoad Load(const std::wstring& path, RuleTable& table) {
    SystemFilePort files;
    return RuleStore(files, ToU16(path)).Load(table, SystemCodePageDecoder());
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
    void ExpectFailure(const FileSave& saved, DWORD error) const {
        EXPECT_EQ(saved.path, ToU16(path_));
        EXPECT_EQ(saved.status.code, error);
    }
    // The rule file and its backup, and no temporary file beside them.
    std::vector<std::wstring> RuleFileAndBackup() const {
        return {L"Quillet.def", L"Quillet.def.bak"};
    }

    TempFolder folder_;
    const std::wstring path_ = folder_.File(L"Quillet.def");
    const std::wstring backup_ = folder_.File(L"Quillet.def.bak");
};

using RuleStoreSave = RuleFileTest;
using RuleStoreLoad = RuleFileTest;

TEST_F(RuleStoreSave, TargetHeldOpenByAnotherHandleStaysWholeAndIsReported) {
    WriteBytes(path_, kOldFile);
    {
        const UniqueFile holder = OpenExclusively(path_);
        ASSERT_TRUE(holder);
        ExpectFailure(Save(path_, NewRules()), ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(ReadBytes(path_), kOldFile);
    EXPECT_EQ(FileNamesIn(folder_.path()), std::vector<std::wstring>{L"Quillet.def"});
}

TEST_F(RuleStoreSave, ReadOnlyTargetIsRefusedAndLeftAsItWas) {
    WriteBytes(path_, kOldFile);
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectFailure(Save(path_, NewRules()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadBytes(path_), kOldFile);
    EXPECT_NE(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(FileNamesIn(folder_.path()), std::vector<std::wstring>{L"Quillet.def"});
}

// A backup that cannot be made fails the save before the rule file is touched.
TEST_F(RuleStoreSave, BackupThatCannotBeWrittenFailsTheSaveAndKeepsTheOldFile) {
    WriteBytes(path_, kOldFile);
    ASSERT_TRUE(CreateDirectoryW(backup_.c_str(), nullptr));
    ExpectFailure(Save(path_, NewRules()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadBytes(path_), kOldFile);
    EXPECT_NE(GetFileAttributesW(backup_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(FileNamesIn(folder_.path()), RuleFileAndBackup());
}

// Files of other saves under the old fixed temporary name (held open) or under the first
// name this process tries neither block a save nor are touched by it.
TEST_F(RuleStoreSave, TemporaryNamesInUseElsewhereAreSkippedAndLeftAlone) {
    const std::wstring others[] = {
        path_ + L".tmp", path_ + L"." + std::to_wstring(GetCurrentProcessId()) + L"-0.tmp"};
    for (const std::wstring& other : others) WriteBytes(other, Bytes{'x'});
    {
        const UniqueFile held = OpenExclusively(others[0]);
        ASSERT_TRUE(held);
        ASSERT_TRUE(Save(path_, NewRules()).succeeded());
    }
    EXPECT_EQ(ReadBytes(path_), Utf16Le(u"1\t301\t\t10\t\t10.2\r\n"));
    for (const std::wstring& other : others) EXPECT_EQ(ReadBytes(other), Bytes{'x'});
    EXPECT_FALSE(FileExists(backup_));  // there was no rule file to keep
}

TEST_F(RuleStoreSave, MissingFolderIsReported) {
    const std::wstring path = folder_.File(L"missing\\Quillet.def");
    const FileSave saved = Save(path, NewRules());
    EXPECT_EQ(saved.path, ToU16(path));
    EXPECT_EQ(saved.status.code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FileExists(path));
}

TEST_F(RuleStoreSave, FolderOfTheFilesNameIsNotReplaced) {
    ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
    ExpectFailure(Save(path_, NewRules()), ERROR_ACCESS_DENIED);
    EXPECT_NE(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// ---- Two processes saving into one folder at once ----

constexpr int kRaceRounds = 300;
constexpr ULONGLONG kRaceMilliseconds = 20000;
constexpr int kRaceRulesPerFile = 20;

using Saver = std::pair<int, int>;  // writer and round of a save; {0, 0} for none

// Rules that tell which writer saved them in which round; enough of them that a partly
// written file would show.
RuleTable RaceRules(Saver saver) {
    RuleTable table;
    for (int n = 1; n <= kRaceRulesPerFile; ++n) {
        table.Append({1, ToU16(std::to_wstring(saver.first)), ToU16(std::to_wstring(saver.second)),
                      ToU16(std::to_wstring(n)), u"", u"8.5"});
    }
    return table;
}

// The save whose whole file is at the path, if any.
Saver SaverOf(const std::wstring& path) {
    // Saves briefly open the rule file for deletion as they replace it.
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    Bytes bytes(64 * 1024);
    DWORD read = 0;
    if (!file ||
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return {};
    }
    bytes.resize(read);
    RuleTable table;
    DecodeRuleFile(bytes, table, SystemCodePageDecoder());
    if (table.count() == 0) return {};
    const Saver saver{ParseCode(table.rule(1).CodeFrom), ParseCode(table.rule(1).CodeTo)};
    const std::string whole = EncodeRuleFile(RaceRules(saver));
    return Bytes(whole.begin(), whole.end()) == bytes ? saver : Saver{};
}

// One of two writers. Right after a save reported as done the rule file holds its bytes,
// or a whole file of the other writer's saved since; after a failed save, never its bytes.
int RunSaveRace(const std::wstring& path, int writer, const std::wstring& gateName) {
    const UniqueHandle gate(OpenEventW(SYNCHRONIZE, FALSE, gateName.c_str()));
    if (!gate || WaitForSingleObject(gate.get(), 10000) != WAIT_OBJECT_0) return 4;
    const int other = 3 - writer;
    const ULONGLONG deadline = GetTickCount64() + kRaceMilliseconds;
    for (int round = 1; round <= kRaceRounds && GetTickCount64() < deadline; ++round) {
        const bool saved = Save(path, RaceRules({writer, round})).succeeded();
        const Saver seen = SaverOf(path);
        if (saved ? seen != Saver{writer, round} && seen.first != other
                  : seen == Saver{writer, round}) {
            std::printf("writer %d, round %d (%s): the file is writer %d's round %d\n", writer,
                        round, saved ? "saved" : "failed", seen.first, seen.second);
            return 3;
        }
    }
    return 0;
}

TEST_F(RuleStoreSave, TwoProcessesSavingAtOnceReportOnlyTheirOwnWholeFilesAndLeaveNoTemporaries) {
    const std::wstring gateName = L"quillet-save-race-" + std::to_wstring(GetCurrentProcessId());
    const UniqueHandle gate(CreateEventW(nullptr, TRUE, FALSE, gateName.c_str()));
    ASSERT_TRUE(gate);
    const auto writer = [&](int number) {
        return std::wstring(kSaveRaceMode) + L" \"" + path_ + L"\" " + std::to_wstring(number) +
               L" " + gateName;
    };
    ChildProcess first(ThisProgram(), writer(1));
    ChildProcess second(ThisProgram(), writer(2));
    SetEvent(gate.get());
    EXPECT_EQ(first.Wait(50000), 0);
    EXPECT_EQ(second.Wait(50000), 0);
    EXPECT_EQ(FileNamesIn(folder_.path()), RuleFileAndBackup());
    EXPECT_NE(SaverOf(path_), Saver{});
    EXPECT_NE(SaverOf(backup_), Saver{});
}

// ---- Loading ----

// Another program holds the rule file open while the command starts: an editor or a second
// seat's host that opened it for reading and writing and lets others read it is no obstacle;
// one that lets nobody in makes the load wait its rounds and then tell the sharing violation.
TEST_F(RuleStoreLoad, FileHeldOpenByAnotherProcessIsReadUnlessItSharesNothing) {
    WriteBytes(path_, kOldFile);
    for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{0}}) {
        const std::wstring heldName = L"quillet-held-" + std::to_wstring(GetCurrentProcessId()) +
                                      L"-" + std::to_wstring(share);
        const UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, heldName.c_str()));
        ASSERT_TRUE(held);
        ChildProcess holder(ThisProgram(), std::wstring(kHoldMode) + L" \"" + path_ + L"\" " +
                                               std::to_wstring(share) + L" " + heldName);
        ASSERT_EQ(WaitForSingleObject(held.get(), 20000), WAIT_OBJECT_0);
        RuleTable table = NewRules();
        const RuleFileLoad loaded = Load(path_, table);
        if (share != 0) {
            EXPECT_TRUE(loaded.succeeded()) << loaded.status.code;
            EXPECT_EQ(table.count(), 2);
        } else {
            EXPECT_EQ(loaded.status.code, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
            EXPECT_EQ(FileAtLoad::Of(loaded).state, FileAtLoad::State::Unreadable);
            EXPECT_EQ(table.count(), 0);
        }
    }
}

// Marking the file read-only protects it from saves, not from being read.
TEST_F(RuleStoreLoad, ReadOnlyFileIsRead) {
    WriteBytes(path_, Utf16Le(u"1\t101\t\t8\t\t9\r\n"));
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    RuleTable table;
    const RuleFileLoad loaded = Load(path_, table);
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(loaded.succeeded());
    EXPECT_EQ(table.count(), 1);
}

// Reading no bytes at all is no error.
TEST_F(RuleStoreLoad, EmptyFileGivesAnEmptyTable) {
    WriteBytes(path_, Bytes{});
    RuleTable table = NewRules();
    EXPECT_TRUE(Load(path_, table).succeeded());
    EXPECT_EQ(table.count(), 0);
}

// Files of other editors without a mark: "ANSI" from Notepad on a Korean Windows (code page
// 949, lines pasted from several editors: CR LF, LF, a lone CR), and UTF-8 with a stray NUL
// at its end. The code page is the system's: ctest runs this with QUILLET_WINE_LOCALE set.
TEST_F(RuleStoreLoad, UnmarkedFilesOfOtherEditorsGiveTheirRules) {
    ASSERT_EQ(GetACP(), 949u) << "run with QUILLET_WINE_LOCALE=ko_KR.UTF-8, as ctest does";
    const std::string_view files[] = {
        "# \xB0\xF8\xC0\xE5\r\n1\t101\t199\t8.1\t8.99\t8.5\n0\t\xB1\xB8\xB8\xDB\t\t5\t\t5.2\r"
        "1\t301\t\t10\t\t10.2"sv,
        "1\t101\t199\t8.1\t8.99\t8.5\r\n0\t\xEA\xB5\xAC\xEB\xA9\x8D\t\t5\t\t5.2\r\n"
        "1\t301\t\t10\t\t10.2\r\n\0"sv};
    for (const std::string_view file : files) {
        WriteBytes(path_, Bytes(file.begin(), file.end()));
        RuleTable table;
        ASSERT_TRUE(Load(path_, table).succeeded());
        ASSERT_EQ(table.count(), 3) << file;
        EXPECT_EQ(table.rule(1), (HoleRule{1, u"101", u"199", u"8.1", u"8.99", u"8.5"}));
        EXPECT_EQ(table.rule(2), (HoleRule{0, u"구멍", u"", u"5", u"", u"5.2"}));
        EXPECT_EQ(table.rule(3), (HoleRule{1, u"301", u"", u"10", u"", u"10.2"}));
    }
}

// Opens the file for reading and writing with the given sharing, says so through the event,
// and keeps it open until the test ends this process.
int HoldFileOpen(const std::wstring& path, DWORD share, const std::wstring& heldName) {
    const UniqueHandle held(OpenEventW(EVENT_MODIFY_STATE, FALSE, heldName.c_str()));
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held || !file || !SetEvent(held.get())) return 4;
    Sleep(30000);
    return 0;
}

// The modes in which a test above runs this program as a child process.
int RunChildMode(const std::vector<std::wstring>& arguments) {
    if (arguments.size() == 4 && arguments[0] == kSaveRaceMode) {
        return RunSaveRace(arguments[1], std::stoi(arguments[2]), arguments[3]);
    }
    if (arguments.size() == 4 && arguments[0] == kHoldMode) {
        return HoldFileOpen(arguments[1], static_cast<DWORD>(std::stoul(arguments[2])),
                            arguments[3]);
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

// The rule file in a folder named by the RuleFolder registry value: which value wins, a UNC
// folder, a file another seat changed before 확인, and a folder out of reach at the start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DialogFixture.h"
#include "E2eSupport.h"
#include "dialogs/resource.h"
#include "journal/JournalReader.h"

namespace fs = std::filesystem;

namespace {

// This seat's file in the journal folder beside the rule file in `folder`.
fs::path SeatJournalIn(const fs::path& folder) {
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    EXPECT_TRUE(GetComputerNameW(computer, &size));
    return folder / L"journal" / (std::wstring(computer, size) + L".csv");
}

// Where Group Policy writes the machine settings.
constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Ferrimount\\KEP\\Quillet";

void SetRuleFolder(HKEY root, const std::wstring& folder, DWORD type = REG_SZ,
                   const wchar_t* key = kEditorKey) {
    ASSERT_EQ(RegSetKeyValueW(root, key, L"RuleFolder", type, folder.c_str(),
                              static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void WriteFileIn(const fs::path& folder, const Bytes& bytes) {
    fs::create_directories(folder);
    WriteBytes((folder / L"Quillet.def").wstring(), bytes);
}

// One rule per file, so that the rows tell the files apart.
Bytes RuleFileWith(std::u16string_view code, bool enabled = true) {
    return RuleFileOf(std::u16string(enabled ? u"1\t" : u"0\t") + std::u16string(code) +
                      u"\t\t1\t2\t3\r\n");
}
std::vector<ShownRule> RowOf(const wchar_t* code, bool enabled = true) {
    return {{enabled, code, L"1-2", L"3"}};
}

class SharedFolder : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ClearValues();
        fs::remove_all(fs::path(_wgetenv(L"LOCALAPPDATA")) / L"Quillet");  // no copy yet
    }
    void TearDown() override {
        DialogTest::TearDown();
        ClearValues();
        fs::remove_all(fs::path(_wgetenv(L"LOCALAPPDATA")) / L"Quillet");
    }
    static void ClearValues() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegDeleteKeyValueW(root, kEditorKey, L"RuleFolder");
        }
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"RuleFolder");
    }
    // The user's value names `folder` as `value`; its rule file holds one rule.
    fs::path StartInFolder(const fs::path& folder, const std::wstring& value,
                           std::u16string_view code) {
        WriteFileIn(folder, RuleFileWith(code));
        SetRuleFolder(HKEY_CURRENT_USER, value);
        StartWith(std::nullopt);
        return folder / L"Quillet.def";
    }
    void ConfirmReversed() {
        RunRuleList([](HWND dialog, const ListView&) {
            Press(dialog, IDC_REVERSE);
            Press(dialog, IDOK);
        });
    }

    ScratchFolder shared_{L"shared"};
};

TEST_F(SharedFolder, MachineValueWinsOverUserValueAndWithoutValuesTheModulesFolderIsUsed) {
    WriteFileIn(shared_.path() / L"machine", RuleFileWith(u"111"));
    SetEnvironmentVariableW(L"QUILLET_TEST_SHARE", shared_.path().c_str());
    SetRuleFolder(HKEY_LOCAL_MACHINE, L"%QUILLET_TEST_SHARE%\\machine\\", REG_EXPAND_SZ);
    SetRuleFolder(HKEY_CURRENT_USER, shared_.path().wstring());  // holds no rule file
    StartWith(RuleFileWith(u"333"));
    EXPECT_EQ(RowsOnReopen(), RowOf(L"111"));
    ClearValues();
    Restart();
    EXPECT_EQ(RowsOnReopen(), RowOf(L"333"));
}

// The policy key, as the real registry holds it, decides over both; removing the policy gives
// the machine's value back.
TEST_F(SharedFolder, PolicyValueWinsOverMachineAndUserValuesAndItsRemovalGivesBackTheMachines) {
    WriteFileIn(shared_.path() / L"policy", RuleFileWith(u"555"));
    WriteFileIn(shared_.path() / L"machine", RuleFileWith(u"111"));
    SetRuleFolder(HKEY_LOCAL_MACHINE, (shared_.path() / L"policy").wstring(), REG_SZ, kPolicyKey);
    SetRuleFolder(HKEY_LOCAL_MACHINE, (shared_.path() / L"machine").wstring());
    SetRuleFolder(HKEY_CURRENT_USER, shared_.path().wstring());  // holds no rule file
    StartWith(RuleFileWith(u"333"));
    EXPECT_EQ(RowsOnReopen(), RowOf(L"555"));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"RuleFolder");
    Restart();
    EXPECT_EQ(RowsOnReopen(), RowOf(L"111"));
}

// Another seat's save lands between this seat's load and its 확인. The folder is a UNC
// path, which Wine serves from the prefix's dosdevices\unc\server\share.
TEST_F(SharedFolder, FileChangedElsewhereIsReplacedOnlyWhenTheUserSaysYes) {
    std::wstring prefix = std::wstring(L"Z:") + _wgetenv(L"WINEPREFIX");
    std::ranges::replace(prefix, L'/', L'\\');
    const std::wstring name = shared_.path().filename().wstring();
    const fs::path served = fs::path(prefix) / L"dosdevices\\unc\\server\\share" / name;
    const fs::path file = StartInFolder(served, L"\\\\server\\share\\" + name, u"555");
    const Bytes otherSeat = RuleFileOf(u"1\t555\t\t1\t2\t3\r\n1\t666\t\t1\t2\t3\r\n");
    WriteFileIn(served, otherSeat);

    AnswerMessageBoxesWith(IDNO);
    ConfirmReversed();
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].text.find("바뀐 시각: 20"), std::string::npos);
    EXPECT_EQ(FileBytes(file), otherSeat);
    EXPECT_EQ(RowsOnReopen(), RowOf(L"555", false));

    AnswerMessageBoxesWith(IDYES);
    RunRuleList([](HWND dialog, const ListView&) { Press(dialog, IDOK); });
    EXPECT_EQ(FileBytes(file), RuleFileWith(u"555", false));
    EXPECT_EQ(FileBytes(file.wstring() + L".bak"), otherSeat);
    // Rule 666 is in no table now: the other seat's file is also kept for good, beside the
    // new file and its backup, and the journal folder that records the save.
    EXPECT_EQ(std::distance(fs::directory_iterator(served), {}), 4);
    const std::optional<Bytes> journal = FileBytes(SeatJournalIn(served));
    ASSERT_TRUE(journal);
    const std::string rows(journal->begin(), journal->end());
    // The one save, against the other seat's file it replaced: rule 555 switched off, 666 gone.
    EXPECT_NE(rows.find(",rules-saved,,,,1 555 - 1 2 3,0 555 - 1 2 3,1,changed\r\n"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find(",rules-saved,,,,1 666 - 1 2 3,,2,removed\r\n"), std::string::npos);
    EXPECT_EQ(rows.find("begin rows=", rows.find("begin rows=") + 1), std::string::npos);
    fs::remove_all(served);
    ExpectMessageBoxes(2);
}

TEST_F(SharedFolder, FolderOutOfReachAtStartGivesTheLastCopyReadAndOneMessage) {
    const fs::path folder = shared_.path() / L"cam";
    StartInFolder(folder, folder.wstring(), u"777");
    fs::rename(folder, shared_.path() / L"away");
    Restart();
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].text.find("연결할 수 없습니다"), std::string::npos);
    EXPECT_NE(MessageBoxes()[0].text.find("폴더에서 읽은 규칙"), std::string::npos);
    EXPECT_EQ(RowsOnReopen(), RowOf(L"777"));
    ConfirmReversed();  // fails as any save does, with its message
    EXPECT_FALSE(fs::exists(folder));
    ExpectMessageBoxes(2);
}

// The seat saved after it read the folder: the copy it falls back on is its own save.
TEST_F(SharedFolder, CopyForAFolderOutOfReachIsThisSeatsLatestSave) {
    const fs::path folder = shared_.path() / L"cam";
    StartInFolder(folder, folder.wstring(), u"777");
    ConfirmReversed();
    fs::rename(folder, shared_.path() / L"away");
    Restart();
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].text.find("이 컴퓨터에서 저장한 규칙"), std::string::npos);
    EXPECT_EQ(RowsOnReopen(), RowOf(L"777", false));
    ExpectMessageBoxes(1);
}

// Another seat's save removes the rule this seat saved: told once, at the next start, with
// where the rule is kept. The rewrites of this seat go to its own file in the journal folder.
TEST_F(SharedFolder, ASeatIsToldOnceThatAnotherSeatReplacedTheRulesItSaved) {
    const fs::path folder = shared_.path() / L"cam";
    const fs::path file = StartInFolder(folder, folder.wstring(), u"777");
    ConfirmReversed();
    Restart();  // this seat's own file: nothing to tell
    ASSERT_EQ(MessageBoxes().size(), 0u);

    WriteBytes(file.wstring() + L".bak", ReadBytes(file.wstring()));  // the other seat's save
    WriteFileIn(folder, RuleFileOf(u"1\t101\t\t8\t9\t8.5\r\n"));
    Restart();
    Restart();
    ASSERT_EQ(MessageBoxes().size(), 1u);
    const std::string& text = MessageBoxes()[0].text;
    EXPECT_NE(text.find("없어진 규칙 1개, 바뀐 규칙 0개"), std::string::npos) << text;
    EXPECT_NE(text.find("777, 1-2 → 3 (꺼짐) (없어짐)"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Quillet.def.bak\""), std::string::npos) << text;
    EXPECT_NE(text.find(".saved.def\""), std::string::npos) << text;

    RewriteProbe();
    session().End();  // the journal, written behind the rewrite, is finished
    const std::optional<Bytes> journal = FileBytes(SeatJournalIn(folder));
    ASSERT_TRUE(journal);
    const std::string rows(journal->begin(), journal->end());
    EXPECT_NE(rows.find(",rewrite,"), std::string::npos);
    EXPECT_NE(rows.find(",1,1,101,8.3,8.5,1,\r\n"), std::string::npos) << rows;
    ExpectMessageBoxes(1);
}

// A RuleFolder of another type is told and counts as a folder out of reach: the rules beside
// the module are not used. A folder that is there but holds no rule file says so, and names
// the rule file left beside the module while there is one.
TEST_F(SharedFolder, SettingsThatCannotBeUsedAndFoldersWithoutRulesAreTold) {
    const DWORD one = 1;
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, kEditorKey, L"RuleFolder", REG_DWORD, &one, sizeof one),
        ERROR_SUCCESS);
    StartWith(RuleFileWith(u"333"));
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].text.find("RuleFolder (REG_DWORD)"), std::string::npos);
    EXPECT_TRUE(RowsOnReopen().empty());

    fs::create_directories(shared_.path() / L"new");
    SetRuleFolder(HKEY_CURRENT_USER, (shared_.path() / L"new").wstring());
    Restart();
    ASSERT_EQ(MessageBoxes().size(), 2u);
    EXPECT_NE(MessageBoxes()[1].text.find("규칙 파일이 없습니다"), std::string::npos);
    EXPECT_TRUE(RowsOnReopen().empty());
    // The table this seat used before is still beside the module: both files are named, with
    // the command that moves it.
    for (const std::string& part : {(shared_.path() / L"new").string(), RuleFilePath().string(),
                                    std::string("quillet-rules copy-to-share")}) {
        EXPECT_NE(MessageBoxes()[1].text.find(part), std::string::npos) << part << "\n"
                                                                        << MessageBoxes()[1].text;
    }
    fs::remove(RuleFilePath());
    Restart();
    ASSERT_EQ(MessageBoxes().size(), 3u);
    EXPECT_EQ(MessageBoxes()[2].text.find("copy-to-share"), std::string::npos);
    ExpectMessageBoxes(3);
}

// A path as JSON writes it.
std::string InJson(const fs::path& path) {
    std::string text;
    for (const char c : path.string()) text += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return text;
}

// quillet-rules where --json as the shop's IT runs it on the seat: the registry's values as the
// system gives them, and the copy the module itself kept.
std::string WhereJson(const fs::path& outputFile, long& exitCode) {
    const fs::path program = fs::path(ThisProgram()).parent_path() / L"quillet-rules.exe";
    exitCode = ChildProcess(program.wstring(), L"where --json", outputFile.wstring()).Wait(30000);
    std::ifstream in(outputFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(SharedFolder, WhereTellsTheValuesTheFolderNowAndTheCopyTheModuleKept) {
    const fs::path folder = shared_.path() / L"cam";
    StartInFolder(folder, folder.wstring(), u"777");  // the module keeps its copy
    SetEnvironmentVariableW(L"QUILLET_TEST_SHARE", shared_.path().c_str());
    SetRuleFolder(HKEY_LOCAL_MACHINE, L"%QUILLET_TEST_SHARE%\\cam", REG_EXPAND_SZ);
    fs::rename(folder, shared_.path() / L"away");
    long status = -1;
    std::string json = WhereJson(shared_.path() / L"where.json", status);
    EXPECT_EQ(status, 1) << json;
    for (
        const std::string& part : std::vector<std::string>{
            R"("source":"machine","setting":{"name":"HKLM\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder","type":"REG_EXPAND_SZ","value":"%QUILLET_TEST_SHARE%\\cam","expanded":")" +
                InJson(folder) + "\"}",
            R"("ignored":{"name":"HKCU\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder","type":"REG_SZ","value":")" +
                InJson(folder),
            R"("reachable":false,"rule_file_exists":null,"rules_from":"last-copy","last_copy":{"path":")" +
                InJson(fs::path(_wgetenv(L"LOCALAPPDATA")) / L"Quillet"),
            R"(.def","origin":"read","time":"20)"}) {
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    }

    const DWORD one = 1;
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kEditorKey, L"RuleFolder", REG_DWORD, &one, sizeof one),
        ERROR_SUCCESS);
    json = WhereJson(shared_.path() / L"where.json", status);
    EXPECT_EQ(status, 2) << json;
    EXPECT_NE(json.find(R"("problem":{"code":"not-text")"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("rules_from":"last-copy")"), std::string::npos) << json;
    ExpectMessageBoxes(0);
}

}  // namespace

namespace {

std::vector<std::string> ActIdsIn(const fs::path& journal) {
    const std::optional<Bytes> bytes = FileBytes(journal);
    std::vector<std::string> ids;
    if (!bytes) return ids;
    for (const JournalFile::Act& act :
         ReadJournal(std::string(bytes->begin(), bytes->end())).acts) {
        EXPECT_FALSE(act.cut);
        ids.push_back(act.head.act.actId);
    }
    return ids;
}

// The seat's file in the journal folder held open by a spreadsheet that denies writing during
// one rewrite and until the command ends, the rule folder away during a rewrite of the next
// run: the first is told once, when the command ends, naming where the act waits; the folder's
// file gets every act it missed, in order, once, as soon as it can be written.
TEST_F(SharedFolder, TheFoldersJournalGetsTheActsItMissedAtTheNextRewrite) {
    const fs::path folder = shared_.path() / L"cam";
    WriteFileIn(folder, RuleFileOf(u"1\t101\t\t8\t9\t8.5\r\n"));
    SetRuleFolder(HKEY_CURRENT_USER, folder.wstring());
    StartWith(std::nullopt);
    const fs::path seatFile = SeatJournalIn(folder);
    const fs::path own = fs::path(_wgetenv(L"LOCALAPPDATA")) / L"Quillet" / L"journal.csv";
    fs::create_directories(seatFile.parent_path());
    HANDLE held = CreateFileW(seatFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    RewriteProbe();
    session().End();
    CloseHandle(held);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    const std::string& told = MessageBoxes()[0].text;
    EXPECT_NE(told.find(seatFile.filename().string()), std::string::npos) << told;
    EXPECT_NE(told.find("journal.csv에 남아 있다가"), std::string::npos) << told;
    EXPECT_TRUE(ActIdsIn(seatFile).empty());

    ASSERT_EQ(session().Start(), 0);
    fs::rename(folder, shared_.path() / L"away");
    RewriteProbe();
    fs::rename(shared_.path() / L"away", folder);
    RewriteProbe();
    session().End();
    const std::vector<std::string> acts = ActIdsIn(own);
    ASSERT_EQ(acts.size(), 3u);
    EXPECT_EQ(ActIdsIn(seatFile), acts);
    EXPECT_FALSE(fs::exists(own.parent_path() / L"journal.owed"));
    ExpectMessageBoxes(1);
}

}  // namespace

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
#include "dialogs/resource.h"

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kValue[] = L"RuleFolder";

void SetRuleFolder(HKEY root, std::wstring_view folder, DWORD type = REG_SZ) {
    const std::wstring text(folder);
    ASSERT_EQ(RegSetKeyValueW(root, kEditorKey, kValue, type, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void ClearRuleFolder(HKEY root) {
    RegDeleteKeyValueW(root, kEditorKey, kValue);
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void WriteRules(const fs::path& folder, std::u16string_view lines) {
    fs::create_directories(folder);
    WriteBytes(folder / L"Quillet.def", RuleFileOf(lines));
}

// One rule per file, so the rows tell the files apart.
ShownRule RowOfCode(const wchar_t* code) {
    return {true, code, L"1-2", L"3"};
}
std::u16string RuleOfCode(const char16_t* code) {
    return u"1\t" + std::u16string(code) + u"\t\t1\t2\t3\r\n";
}

class SharedFolder : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ClearRuleFolder(HKEY_LOCAL_MACHINE);
        ClearRuleFolder(HKEY_CURRENT_USER);
    }
    void TearDown() override {
        DialogTest::TearDown();
        ClearRuleFolder(HKEY_LOCAL_MACHINE);
        ClearRuleFolder(HKEY_CURRENT_USER);
        std::error_code ignored;
        fs::remove_all(LocalCopies(), ignored);
    }

    static fs::path LocalCopies() { return fs::path(_wgetenv(L"LOCALAPPDATA")) / L"Quillet"; }

    void ConfirmReversed() {
        RunRuleList([](HWND dialog, const ListView&) {
            Press(dialog, IDC_REVERSE);
            Press(dialog, IDOK);
        });
    }

    ScratchFolder shared_{L"shared"};
};

TEST_F(SharedFolder, MachineValueWinsOverUserValueWhichWinsOverTheModulesFolder) {
    WriteRules(shared_.path() / L"machine", RuleOfCode(u"111"));
    WriteRules(shared_.path() / L"user", RuleOfCode(u"222"));
    // Environment variables in an expandable value are expanded; a final backslash is fine.
    SetEnvironmentVariableW(L"QUILLET_TEST_SHARE", shared_.path().c_str());
    SetRuleFolder(HKEY_LOCAL_MACHINE, L"%QUILLET_TEST_SHARE%\\machine\\", REG_EXPAND_SZ);
    SetRuleFolder(HKEY_CURRENT_USER, (shared_.path() / L"user").wstring());
    StartWithRules(RuleOfCode(u"333"));
    EXPECT_EQ(RowsOnReopen(), std::vector{RowOfCode(L"111")});

    ClearRuleFolder(HKEY_LOCAL_MACHINE);
    Restart();
    EXPECT_EQ(RowsOnReopen(), std::vector{RowOfCode(L"222")});

    ClearRuleFolder(HKEY_CURRENT_USER);
    Restart();
    EXPECT_EQ(RowsOnReopen(), std::vector{RowOfCode(L"333")});
    ConfirmReversed();
    EXPECT_TRUE(fs::exists(ModuleFolder() / L"Quillet.def.bak"));
    // One local copy for each configured folder read, none for the module's folder.
    const auto copies = std::distance(fs::directory_iterator(LocalCopies()), {});
    EXPECT_EQ(copies, 2);
}

// Wine serves \\server\share from the prefix's dosdevices\unc\server\share.
TEST_F(SharedFolder, UncFolderIsReadAndSavedWithItsBackupBesideTheFile) {
    const wchar_t* prefix = _wgetenv(L"WINEPREFIX");
    ASSERT_NE(prefix, nullptr);
    std::wstring unixPath = std::wstring(L"Z:") + prefix;
    std::ranges::replace(unixPath, L'/', L'\\');
    const std::wstring name = shared_.path().filename().wstring();
    const fs::path served = fs::path(unixPath) / L"dosdevices\\unc\\server\\share" / name;
    WriteRules(served, RuleOfCode(u"444"));
    SetRuleFolder(HKEY_CURRENT_USER, L"\\\\server\\share\\" + name);
    StartWith(std::nullopt);
    EXPECT_EQ(RowsOnReopen(), std::vector{RowOfCode(L"444")});
    ConfirmReversed();
    EXPECT_EQ(FileBytes(served / L"Quillet.def"), RuleFileOf(u"0\t444\t\t1\t2\t3\r\n"));
    EXPECT_EQ(FileBytes(served / L"Quillet.def.bak"), RuleFileOf(RuleOfCode(u"444")));
    std::error_code ignored;
    fs::remove_all(served, ignored);
}

// Another seat's save lands between this seat's load and its 확인.
TEST_F(SharedFolder, FileChangedElsewhereIsReplacedOnlyWhenTheUserSaysYes) {
    const fs::path folder = shared_.path() / L"cam";
    WriteRules(folder, RuleOfCode(u"555"));
    SetRuleFolder(HKEY_CURRENT_USER, folder.wstring());
    StartWith(std::nullopt);
    const Bytes otherSeat = RuleFileOf(RuleOfCode(u"555") + RuleOfCode(u"666"));
    WriteBytes(folder / L"Quillet.def", otherSeat);

    AnswerMessageBoxesWith(IDNO);
    ConfirmReversed();
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].text.find("바뀐 시각: 20"), std::string::npos);
    EXPECT_EQ(FileBytes(folder / L"Quillet.def"), otherSeat);
    EXPECT_FALSE(fs::exists(folder / L"Quillet.def.bak"));
    const ShownRule reversed{false, L"555", L"1-2", L"3"};
    EXPECT_EQ(RowsOnReopen(), std::vector{reversed});

    AnswerMessageBoxesWith(IDYES);
    RunRuleList([](HWND dialog, const ListView&) { Press(dialog, IDOK); });
    EXPECT_EQ(FileBytes(folder / L"Quillet.def"), RuleFileOf(u"0\t555\t\t1\t2\t3\r\n"));
    EXPECT_EQ(FileBytes(folder / L"Quillet.def.bak"), otherSeat);
    // Rule 666 is in no table now: the other seat's file is also kept for good.
    size_t kept = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::wstring file = entry.path().filename().wstring();
        if (file.starts_with(L"Quillet.def.2") && FileBytes(entry.path()) == otherSeat) ++kept;
    }
    EXPECT_EQ(kept, 1u);
    ExpectMessageBoxes(2);
}

TEST_F(SharedFolder, FolderOutOfReachAtStartGivesTheLastCopyReadAndOneMessage) {
    const fs::path folder = shared_.path() / L"cam";
    WriteRules(folder, RuleOfCode(u"777"));
    SetRuleFolder(HKEY_CURRENT_USER, folder.wstring());
    StartWith(std::nullopt);
    fs::rename(folder, shared_.path() / L"away");

    Restart();
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].text.find("연결할 수 없습니다"), std::string::npos);
    EXPECT_EQ(RowsOnReopen(), std::vector{RowOfCode(L"777")});
    ConfirmReversed();  // the save fails as any failed save does
    EXPECT_EQ(MessageBoxes().size(), 2u);
    EXPECT_FALSE(fs::exists(folder));
    ExpectMessageBoxes(2);
}

}  // namespace

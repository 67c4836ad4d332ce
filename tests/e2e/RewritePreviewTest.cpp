// Event 0 with the preview on: "미리 보기" shows every step the rewrite would change, 적용
// (Enter) amends exactly that and 취소 (Esc) nothing; the machine's PreviewBeforeRewrite
// decides over the user's, and the rule list's box sets the user's; 되돌리기 undoes the last
// rewrite once; rewrites and undos reach this user's journal. Every module reads the setting
// at event 0, so these tests run alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "DialogFixture.h"
#include "dialogs/resource.h"
#include "host/KepLib.h"
#include "journal/JournalReader.h"
#include "journal/Sha256.h"
#include "testhost/StandinLog.h"

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kPreviewCaption[] = L"미리 보기";
constexpr int kPreviewList = 12101;
constexpr int kPreviewSummary = 12102;
constexpr wchar_t kPreviewSetting[] = L"PreviewBeforeRewrite";

// Steps 1 and 2 of the probe hole by rule 1, step 3 by rule 2.
constexpr char16_t kRules[] = u"1\t101\t150\t8\t9\t8.5\r\n1\t201\t\t5\t5.2\t5.05\r\n";
const std::vector<double> kProbeBefore = {8.3, 8.99, 5.1, 10};
const std::vector<double> kProbeAfter = {8.5, 8.5, 5.05, 10};

void SetPreview(HKEY root, const wchar_t* text) {
    ASSERT_EQ(RegSetKeyValueW(root, kEditorKey, kPreviewSetting, REG_SZ, text,
                              static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

fs::path OwnJournal() {
    return fs::path(_wgetenv(L"LOCALAPPDATA")) / L"Quillet" / L"journal.csv";
}

// Every row of the own journal, each with its act.
struct OwnRows {
    std::vector<JournalRow> rows;
    std::vector<JournalAct> actOf;
};

OwnRows ReadOwnJournal() {
    const std::optional<Bytes> bytes = FileBytes(OwnJournal());
    const JournalFile file =
        ReadJournal(bytes ? std::string(bytes->begin(), bytes->end()) : std::string());
    OwnRows own;
    for (const JournalFile::Act& act : file.acts) {
        for (const JournalRow& row : act.rows) {
            own.rows.push_back(row);
            own.actOf.push_back(act.head.act);
        }
    }
    return own;
}

bool LogHas(const std::string& line) {
    const std::vector<std::string> log = ReadStandinLog();
    return std::ranges::find(log, line) != log.end();
}

std::optional<std::wstring> UserPreviewValue() {
    wchar_t text[16] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, kEditorKey, kPreviewSetting, RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

bool Checked(HWND dialog, int id) {
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

class PreviewTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ClearSettings();
    }
    void TearDown() override {
        ClearSettings();
        DialogTest::TearDown();
    }
    // Presses 되돌리기, whose question is a modal message box, and waits until `boxes` boxes
    // were seen in all.
    void PressUndo(HWND dialog, size_t boxes) {
        PressLater(dialog, IDC_UNDO);
        for (int waited = 0; MessageBoxes().size() < boxes && waited < 5000; waited += 20)
            Sleep(20);
        Settle(dialog);
    }
    static void ClearSettings() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegDeleteKeyValueW(root, kEditorKey, kPreviewSetting);
        }
    }
};

TEST_F(PreviewTest, ShowsEveryStepThatWouldChangeThenEnterAppliesItAndEscAmendsNothing) {
    SetPreview(HKEY_CURRENT_USER, L"1");
    StartWithRules(kRules);
    const size_t rowsBefore = ReadOwnJournal().rows.size();

    const std::vector<double> afterEsc = RewriteProbeWhileDriving([] {
        HWND dialog = WaitForDialog(kPreviewCaption);
        ASSERT_NE(dialog, nullptr) << "the preview did not open";
        EXPECT_EQ(ItemText(dialog, kPreviewSummary),
                  L"구멍 1개, 단계 3개를 바꿉니다\r\n규칙 1: 단계 2개, 규칙 2: 단계 1개");
        EXPECT_EQ(ItemText(dialog, IDOK), L"적용");
        EXPECT_EQ(ItemText(dialog, IDCANCEL), L"취소");
        const ListView list(GetDlgItem(dialog, kPreviewList));
        ASSERT_EQ(list.ColumnCount(), 6);
        std::vector<std::wstring> headers;
        for (int column = 0; column < 6; ++column) headers.push_back(list.HeaderText(column));
        EXPECT_EQ(headers, (std::vector<std::wstring>{L"구멍", L"단계", L"가공코드", L"현재 경",
                                                      L"새 경", L"규칙"}));
        ASSERT_EQ(list.RowCount(), 3);
        const std::wstring expected[3][6] = {{L"1", L"1", L"101", L"8.3", L"8.5", L"1"},
                                             {L"1", L"2", L"150", L"8.99", L"8.5", L"1"},
                                             {L"1", L"3", L"201", L"5.1", L"5.05", L"2"}};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 6; ++column) {
                EXPECT_EQ(list.CellText(row, column), expected[row][column]) << row << column;
            }
        }
        EXPECT_EQ(ProbeDiameters(), kProbeBefore);  // nothing amended while it is shown
        list.PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(afterEsc, kProbeBefore);
    EXPECT_TRUE(LogHas("KepMsgPutMessage(\"구멍을 바꾸지 않았습니다.\")"));
    EXPECT_EQ(ReadOwnJournal().rows.size(), rowsBefore);

    const std::vector<double> afterEnter = RewriteProbeWhileDriving([] {
        HWND dialog = WaitForDialog(kPreviewCaption);
        ASSERT_NE(dialog, nullptr) << "the preview did not open";
        ListView(GetDlgItem(dialog, kPreviewList)).PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(afterEnter, kProbeAfter);
    EXPECT_EQ(ReadStandinLog().back(), "KepDlgMessageBox(\"총 1개의 구멍을 수정하였습니다.\")");

    // The journal: one row per changed step, the rule file and its SHA-256.
    const OwnRows journal = ReadOwnJournal();
    ASSERT_EQ(journal.rows.size(), rowsBefore + 3);
    const JournalRow& last = journal.rows.back();
    EXPECT_EQ(std::tie(last.hole, last.step, last.code, last.before, last.after),
              std::tuple(1, 3, 201, 5.1, 5.05));
    EXPECT_EQ(last.rules, std::vector<int32_t>{2});
    const JournalAct& act = journal.actOf.back();
    EXPECT_EQ(act.action, JournalAction::Rewrite);
    EXPECT_EQ(act.ruleFile, RuleFilePath().string());
    const Bytes ruleFile = RuleFileOf(kRules);
    EXPECT_EQ(act.ruleFileSha256, Sha256Hex(std::string(ruleFile.begin(), ruleFile.end())));
}

TEST_F(PreviewTest, TheMachinesValueDecidesForEveryUser) {
    SetPreview(HKEY_LOCAL_MACHINE, L"0");
    SetPreview(HKEY_CURRENT_USER, L"1");
    StartWithRules(kRules);
    EXPECT_EQ(
        RewriteProbeWhileDriving([] { EXPECT_EQ(WaitForDialog(kPreviewCaption, 1000), nullptr); }),
        kProbeAfter);

    SetPreview(HKEY_LOCAL_MACHINE, L"1");
    SetPreview(HKEY_CURRENT_USER, L"0");
    bool shown = false;
    RewriteProbeWhileDriving([&shown] {
        HWND dialog = WaitForDialog(kPreviewCaption);
        shown = dialog != nullptr;
        if (shown) Press(dialog, IDOK);
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(ReadStandinLog().back(), "KepDlgMessageBox(\"총 1개의 구멍을 수정하였습니다.\")");
}

TEST_F(PreviewTest, TheListsBoxSetsTheUsersValueUnlessTheMachineDecides) {
    StartWithRules(kRules);
    RunRuleList([](HWND dialog, const ListView&) {
        EXPECT_FALSE(Checked(dialog, IDC_PREVIEW_BEFORE_REWRITE));
        EXPECT_TRUE(ItemEnabled(dialog, IDC_PREVIEW_BEFORE_REWRITE));
        Press(dialog, IDC_PREVIEW_BEFORE_REWRITE);
        Press(dialog, IDCANCEL);  // 취소 keeps the setting as it was
    });
    EXPECT_EQ(UserPreviewValue(), std::nullopt);
    RunRuleList([](HWND dialog, const ListView&) {
        Press(dialog, IDC_PREVIEW_BEFORE_REWRITE);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(UserPreviewValue(), L"1");

    SetPreview(HKEY_LOCAL_MACHINE, L"0");
    RunRuleList([](HWND dialog, const ListView&) {
        EXPECT_FALSE(Checked(dialog, IDC_PREVIEW_BEFORE_REWRITE));
        EXPECT_FALSE(ItemEnabled(dialog, IDC_PREVIEW_BEFORE_REWRITE));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(UserPreviewValue(), L"1");
}

// Rules edited in a cancelled list stay in force until the next load; the journal then names
// them by the file a save would write, not by the file they are no longer.
TEST_F(PreviewTest, TheJournalNamesRulesEditedButNotSavedByTheirOwnBytes) {
    StartWithRules(kRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCell(1, 1);
        Press(dialog, IDC_DELETE);
        Press(dialog, IDCANCEL);
    });
    ASSERT_EQ(RewriteProbe(), (std::vector<double>{8.5, 8.5, 5.1, 10}));
    const OwnRows journal = ReadOwnJournal();
    ASSERT_FALSE(journal.rows.empty());
    const Bytes inForce = RuleFileOf(u"1\t101\t150\t8\t9\t8.5\r\n");
    EXPECT_EQ(journal.actOf.back().ruleFileSha256,
              Sha256Hex(std::string(inForce.begin(), inForce.end())));
}

// A step changed between the rewrite and its undo is left as it is and told; the undo is
// asked first, runs once, and is journaled under the rewrite's id.
TEST_F(PreviewTest, UndoPutsBackTheLastRewriteOnceAndLeavesAStepChangedSince) {
    StartWithRules(kRules);
    RunRuleList([](HWND dialog, const ListView&) {
        EXPECT_FALSE(ItemEnabled(dialog, IDC_UNDO));  // nothing rewritten yet
        Press(dialog, IDCANCEL);
    });
    ASSERT_EQ(RewriteProbe(), kProbeAfter);
    HoleRecord record{};
    ASSERT_EQ(KepHolGetHoleData(1, &record), 0);
    record.steps[1].diameter = 9.5;  // step 2 changed by hand since
    ASSERT_EQ(KepHolAmendHoleData(1, &record), 0);

    AnswerMessageBoxesWith(IDNO);
    RunRuleList([this](HWND dialog, const ListView&) {
        PressUndo(dialog, 1);
        EXPECT_TRUE(ItemEnabled(dialog, IDC_UNDO));
        AnswerMessageBoxesWith(IDYES);
        PressUndo(dialog, 3);
        EXPECT_FALSE(ItemEnabled(dialog, IDC_UNDO));  // an undo cannot be undone
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(ProbeDiameters(), (std::vector<double>{8.3, 9.5, 5.1, 10}));
    ASSERT_EQ(MessageBoxes().size(), 3u);
    EXPECT_NE(MessageBoxes()[0].text.find("에 바꾼 구멍 1개를 되돌리겠습니까?"), std::string::npos);
    EXPECT_EQ(MessageBoxes()[2].text,
              "구멍 1개를 되돌렸습니다.\r\n단계 1개는 그 뒤에 바뀌어 그대로 두었습니다.");
    RunRuleList([](HWND dialog, const ListView&) {
        EXPECT_FALSE(ItemEnabled(dialog, IDC_UNDO));
        Press(dialog, IDCANCEL);
    });

    const OwnRows journal = ReadOwnJournal();
    ASSERT_GE(journal.rows.size(), 5u);
    const JournalRow& undone = journal.rows.back();
    const JournalAct& undo = journal.actOf.back();
    const JournalAct& rewrite = journal.actOf[journal.rows.size() - 3];
    EXPECT_EQ(undo.action, JournalAction::Undo);
    EXPECT_EQ(rewrite.action, JournalAction::Rewrite);
    EXPECT_EQ(undo.rewriteId, rewrite.rewriteId);
    EXPECT_EQ(std::tie(undone.step, undone.before, undone.after), std::tuple(3, 5.05, 5.1));
    EXPECT_EQ(journal.rows[journal.rows.size() - 2].step, 1);
    ExpectMessageBoxes(3);
}

}  // namespace

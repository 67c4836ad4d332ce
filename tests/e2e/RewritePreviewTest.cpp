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
#include "standin/KepTest.h"
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

    // The journal: one row per changed step, the rule file and its SHA-256; written behind the
    // rewrite, and finished when the command ends.
    session().End();
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
    session().End();
    const OwnRows journal = ReadOwnJournal();
    ASSERT_FALSE(journal.rows.empty());
    const Bytes inForce = RuleFileOf(u"1\t101\t150\t8\t9\t8.5\r\n");
    EXPECT_EQ(journal.actOf.back().ruleFileSha256,
              Sha256Hex(std::string(inForce.begin(), inForce.end())));
}

// The undo is asked first, runs once, and is journaled under the rewrite's id.
TEST_F(PreviewTest, UndoStepsBackThroughTheCommandsRewritesThatChangedAValue) {
    StartWithRules(kRules);
    RunRuleList([](HWND dialog, const ListView&) {
        EXPECT_FALSE(ItemEnabled(dialog, IDC_UNDO));  // nothing rewritten yet
        Press(dialog, IDCANCEL);
    });
    ASSERT_EQ(RewriteProbe(), kProbeAfter);
    ASSERT_EQ(RewriteProbe(), kProbeAfter);  // every match writes the value already there

    AnswerMessageBoxesWith(IDNO);
    RunRuleList([this](HWND dialog, const ListView&) {
        PressUndo(dialog, 1);
        EXPECT_TRUE(ItemEnabled(dialog, IDC_UNDO));
        AnswerMessageBoxesWith(IDYES);
        PressUndo(dialog, 3);
        EXPECT_FALSE(ItemEnabled(dialog, IDC_UNDO));  // the second rewrite left nothing to undo
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(ProbeDiameters(), kProbeBefore);
    ASSERT_EQ(MessageBoxes().size(), 3u);
    EXPECT_NE(MessageBoxes()[0].text.find("에 바꾼 구멍 1개를 되돌리겠습니까?\r\n그 뒤에 바뀐 "
                                          "구멍은 그대로 둡니다."),
              std::string::npos);
    EXPECT_EQ(MessageBoxes()[2].text, "구멍 1개를 되돌렸습니다.");

    session().End();
    const OwnRows journal = ReadOwnJournal();
    ASSERT_GE(journal.rows.size(), 9u);
    const JournalRow& undone = journal.rows.back();
    const JournalAct& undo = journal.actOf.back();
    const JournalAct& first = journal.actOf[journal.rows.size() - 9];
    EXPECT_EQ(undo.action, JournalAction::Undo);
    EXPECT_EQ(first.action, JournalAction::Rewrite);
    EXPECT_EQ(undo.rewriteId, first.rewriteId);
    EXPECT_EQ(std::tie(undone.step, undone.before, undone.after), std::tuple(3, 5.05, 5.1));
    ExpectMessageBoxes(3);
}

TEST_F(PreviewTest, UndoLeavesAHoleChangedSinceAndNothingOutlivesTheCommand) {
    StartWithRules(kRules);
    ASSERT_EQ(RewriteProbe(), kProbeAfter);
    HoleRecord record{};
    ASSERT_EQ(KepHolGetHoleData(1, &record), 0);
    record.steps[3].diameter = 10.5;  // a step the rewrite left alone, changed by hand since
    ASSERT_EQ(KepHolAmendHoleData(1, &record), 0);

    AnswerMessageBoxesWith(IDYES);
    RunRuleList([this](HWND dialog, const ListView&) {
        PressUndo(dialog, 2);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(ProbeDiameters(), (std::vector<double>{8.5, 8.5, 5.05, 10.5}));
    ASSERT_EQ(MessageBoxes().size(), 2u);
    EXPECT_NE(MessageBoxes()[0].text.find("그중 구멍 1개는 그 뒤에 바뀌었거나 읽을 수 없어 그대로 "
                                          "둡니다."),
              std::string::npos);
    EXPECT_EQ(MessageBoxes()[1].text,
              "구멍 0개를 되돌렸습니다.\r\n구멍 1개는 그 뒤에 바뀌어 그대로 두었습니다 (1).");

    // A rewrite, then the command ends and starts again (another drawing may be open now).
    ASSERT_EQ(RewriteProbe(), (std::vector<double>{8.5, 8.5, 5.05, 10.5}));
    ASSERT_EQ(KepHolGetHoleData(1, &record), 0);
    record.steps[0].diameter = 8.3;
    ASSERT_EQ(KepHolAmendHoleData(1, &record), 0);
    ASSERT_EQ(RewriteProbe(), (std::vector<double>{8.5, 8.5, 5.05, 10.5}));
    session().End();
    ASSERT_EQ(session().Start(), 0);
    RunRuleList([](HWND dialog, const ListView&) {
        EXPECT_FALSE(ItemEnabled(dialog, IDC_UNDO));
        Press(dialog, IDCANCEL);
    });
    ExpectMessageBoxes(2);
}

std::vector<std::wstring> Row(const ListView& list, int row) {
    std::vector<std::wstring> cells;
    for (int column = 0; column < 6; ++column) cells.push_back(list.CellText(row, column));
    return cells;
}

using Cells = std::vector<std::wstring>;

// The selected row stays selected wherever a sort puts it, and 적용 amends every step still.
TEST_F(PreviewTest, AHeaderClickSortsByItsColumnAndAgainTheOtherWay) {
    SetPreview(HKEY_CURRENT_USER, L"1");
    StartWithRules(kRules);
    const std::vector<double> after = RewriteProbeWhileDriving([] {
        HWND dialog = WaitForDialog(kPreviewCaption);
        ASSERT_NE(dialog, nullptr) << "the preview did not open";
        // Two lines fit the summary's box: no scroll bar.
        EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, kPreviewSummary), GWL_STYLE) & WS_VSCROLL, 0);
        const ListView list(GetDlgItem(dialog, kPreviewList));
        list.ClickCell(0, 0);
        list.ClickHeader(3);  // 현재 경
        EXPECT_EQ(Row(list, 0), (Cells{L"1", L"3", L"201", L"5.1", L"5.05", L"2"}));
        EXPECT_EQ(Row(list, 1), (Cells{L"1", L"1", L"101", L"8.3", L"8.5", L"1"}));
        EXPECT_EQ(Row(list, 2), (Cells{L"1", L"2", L"150", L"8.99", L"8.5", L"1"}));
        EXPECT_EQ(list.SortArrow(3), HDF_SORTUP);
        EXPECT_TRUE(list.Selected(1));
        list.ClickHeader(3);
        EXPECT_EQ(list.CellText(0, 3), L"8.99");
        EXPECT_EQ(list.CellText(2, 3), L"5.1");
        EXPECT_EQ(list.SortArrow(3), HDF_SORTDOWN);
        EXPECT_TRUE(list.Selected(1));
        list.PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(after, kProbeAfter);
}

// Hole h's step s (from 0) in the large drawing, and the 30 rules: rule n + 1 sets codes
// 100 + 4n to 103 + 4n to 8.5, whatever their diameter. One step in eight has 8.5 already.
int32_t LargeCode(int32_t hole, int32_t step) {
    return 100 + (hole * 7 + step * 13) % 120;
}
double LargeDiameter(int32_t hole, int32_t step) {
    return 7.5 + 0.25 * ((hole + step) % 8);
}

// 10,000 holes of ten steps: the list shows its 100,000 rows at once, and the summary of 30
// rules wraps and scrolls to its end.
TEST_F(PreviewTest, ALargePlanIsShownWholeWithItsSummary) {
    constexpr int32_t kHoles = 10'000;
    std::string drawing;
    for (int32_t h = 1; h <= kHoles; ++h) {
        drawing += "hole " + std::to_string(h) + "\nelement 1 " + std::to_string(h) + "\n";
        for (int32_t s = 0; s < 10; ++s) {
            drawing += "step " + std::to_string(LargeCode(h, s)) + " " +
                       std::to_string(LargeDiameter(h, s)) + "\n";
        }
    }
    std::u16string rules;
    for (int32_t n = 0; n < 30; ++n) {
        const std::string line = "1\t" + std::to_string(100 + 4 * n) + "\t" +
                                 std::to_string(103 + 4 * n) + "\t0\t100\t8.5\r\n";
        rules.append(line.begin(), line.end());
    }
    SetPreview(HKEY_CURRENT_USER, L"1");
    StartWith(RuleFileOf(rules), drawing);
    RewriteProbeWhileDriving([] {
        HWND dialog = WaitForDialog(kPreviewCaption);
        ASSERT_NE(dialog, nullptr) << "the preview did not open";
        const ListView list(GetDlgItem(dialog, kPreviewList));
        ASSERT_EQ(list.RowCount(), 100'000);
        const std::wstring last = std::to_wstring(LargeCode(kHoles, 9));
        EXPECT_EQ(Row(list, 99'999),
                  (Cells{L"10000", L"10", last, L"7.75", L"8.5",
                         std::to_wstring((LargeCode(kHoles, 9) - 100) / 4 + 1)}));
        EXPECT_EQ(list.CellText(3, 4), L"8.5 (그대로)");  // hole 1's step 4 has 8.5 already

        const std::wstring summary = ItemText(dialog, kPreviewSummary);
        EXPECT_TRUE(
            summary.starts_with(L"구멍 10000개, 단계 100000개를 바꿉니다 (그중 단계 12500개는 값이 "
                                L"그대로)\r\n규칙 1: "))
            << summary;
        // Scrolled to its end, the summary's last character is inside its box.
        HWND box = GetDlgItem(dialog, kPreviewSummary);
        const auto end = static_cast<WPARAM>(summary.size());
        EXPECT_GE(SendMessageW(box, EM_GETLINECOUNT, 0, 0), 3);
        EXPECT_NE(GetWindowLongW(box, GWL_STYLE) & WS_VSCROLL, 0) << "taller than its box";
        SendMessageW(box, EM_SETSEL, end, end);
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
        const LRESULT at = SendMessageW(box, EM_POSFROMCHAR, end - 1, 0);
        RECT client{};
        GetClientRect(box, &client);
        const POINT shown{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
        EXPECT_TRUE(PtInRect(&client, shown)) << shown.x << "," << shown.y;

        list.PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    HoleStep step{};
    ASSERT_EQ(KepTestHoleStep(kHoles, 9, &step), 0);
    EXPECT_EQ(step.diameter, 7.75);  // nothing amended
}

}  // namespace

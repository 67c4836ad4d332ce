// The rule list dialog run by event 7: what it shows, how its buttons and boxes change the
// rule table, and when confirming it writes the rule file. The table is looked at through
// the rule file, the rows of a reopened dialog and a rewrite of the probe drawing.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "DialogFixture.h"
#include "E2eSupport.h"
#include "dialogs/resource.h"
#include "standin/KepTest.h"

namespace {

// Each rule rewrites steps of the probe drawing of its own, so a rewrite shows which rules
// are enabled: rule 1 the first two steps (to 8.5), rule 2 the third (5.2), rule 3 the
// fourth (12).
constexpr char16_t kThreeRules[] =
    u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
    u"0\t201\t\t5.0\t5.5\t5.2\r\n"
    u"1\t300\t\t10\t\t12\r\n";
const std::vector<double> kProbeUnchanged{8.3, 8.99, 5.1, 10};

const std::vector<ShownRule> kThreeRulesShown{
    {true, L"101-199", L"8.1-8.99", L"8.5"},
    {false, L"201", L"5.0-5.5", L"5.2"},
    {true, L"300", L"10", L"12"},
};

std::u16string ManyRules(int count) {
    std::u16string lines;
    for (int i = 0; i < count; ++i) {
        const std::u16string code = u"9" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
                                    std::u16string(1, static_cast<char16_t>(u'0' + i / 10));
        lines += u"1\t" + code + u"\t\t1\t\t2\r\n";
    }
    return lines;
}

class RuleList : public DialogTest {
protected:
    // 확인 with nothing changed writes the table as saved; the old file is the backup.
    void ExpectBackupAfterConfirming(const Bytes& saved) {
        const Bytes before = *RuleFileBytes();
        RunRuleList([](HWND dialog, const ListView&) { Press(dialog, IDOK); });
        EXPECT_EQ(RuleFileBytes(), saved);
        EXPECT_EQ(FileBytes(BackupPath()), before);
    }
};

TEST_F(RuleList, ShowsEveryRuleWithItsBoxAndRangeTexts) {
    StartWithRules(
        u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
        u"0\t101\t101\t5.0\t\t5.2\r\n"
        u"1\tab\tAB\t3\t3.0\t4\r\n"
        u"0\t\t\t\t\t\r\n");
    const Bytes before = *RuleFileBytes();
    const HMODULE module = Module();
    const int result = RunRuleList([module](HWND dialog, const ListView& list) {
        EXPECT_EQ(TextOf(dialog), L"Hole Diameter");
        // The enhanced buttons are of the module's own local class, not of a host's.
        for (int id : {IDC_ADD, IDC_DELETE, IDC_MODIFY}) {
            wchar_t className[32] = {};
            GetClassNameW(GetDlgItem(dialog, id), className, 32);
            EXPECT_STREQ(className, L"MfcButton");
            EXPECT_EQ(GetClassLongPtrW(GetDlgItem(dialog, id), GCLP_HMODULE),
                      reinterpret_cast<ULONG_PTR>(module));
        }
        EXPECT_EQ(ItemText(dialog, IDOK), L"확인");
        EXPECT_EQ(ItemText(dialog, IDCANCEL), L"취소");
        ASSERT_EQ(list.ColumnCount(), 4);
        const wchar_t* headers[] = {L"적용", L"가공코드", L"구멍경(적용)", L"구멍경(수정)"};
        const int widths[] = {40, 100, 100, 100};
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(list.HeaderText(column), headers[column]);
            EXPECT_EQ(list.ColumnWidth(column), widths[column]);
        }
        const std::vector<ShownRule> expected{
            {true, L"101-199", L"8.1-8.99", L"8.5"},
            {false, L"101", L"5.0", L"5.2"},
            {true, L"ab", L"3-3.0", L"4"},
            {false, L"", L"", L""},
        };
        EXPECT_EQ(ShownRules(list), expected);
        for (int row = 0; row < list.RowCount(); ++row) EXPECT_EQ(list.CellText(row, 0), L"");
        EXPECT_EQ(list.SelectedCount(), 0u);
        EXPECT_FALSE(ItemEnabled(dialog, IDC_DELETE));
        EXPECT_FALSE(ItemEnabled(dialog, IDC_MODIFY));
        EXPECT_TRUE(ItemEnabled(dialog, IDC_ADD));
        EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDOK));
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(RuleFileBytes(), before);
}

TEST_F(RuleList, EmptyTableShowsNoRowsAndConfirmingKeepsTheFile) {
    // A file whose only line is no rule: the table is empty, the file is not.
    const Bytes file = RuleFileOf(u"1\t101\t199\t8.1\t8.99\r\n");
    ExpectMessageBoxes(1);  // the line that gave no rule
    StartWith(file);
    RunRuleList([](HWND dialog, const ListView& list) {
        EXPECT_EQ(list.RowCount(), 0);
        EXPECT_FALSE(ItemEnabled(dialog, IDC_DELETE));
        EXPECT_FALSE(ItemEnabled(dialog, IDC_MODIFY));
        for (int button : {IDC_ALL_ON, IDC_ALL_OFF, IDC_REVERSE, IDC_DELETE}) {
            Press(dialog, button);
            EXPECT_EQ(list.RowCount(), 0);
        }
        Press(dialog, IDOK);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(RuleFileBytes(), file);
    EXPECT_EQ(RewriteProbe(), kProbeUnchanged);
}

TEST_F(RuleList, ReverseFlipsEveryBoxAndItsRule) {
    StartWithRules(kThreeRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCell(1, 2);
        Press(dialog, IDC_REVERSE);
        EXPECT_FALSE(list.Checked(0));
        EXPECT_TRUE(list.Checked(1));
        EXPECT_FALSE(list.Checked(2));
        // The selection and the buttons stay as they were.
        EXPECT_TRUE(list.Selected(1));
        EXPECT_TRUE(ItemEnabled(dialog, IDC_MODIFY));
        EXPECT_EQ(FocusOf(dialog), list.hwnd());
        Press(dialog, IDOK);
    });
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"0\t101\t199\t8.1\t8.99\t8.5\r\n"
                                          u"1\t201\t\t5.0\t5.5\t5.2\r\n"
                                          u"0\t300\t\t10\t\t12\r\n"));
    EXPECT_EQ(RewriteProbe(), (std::vector<double>{8.3, 8.99, 5.2, 10}));
}

TEST_F(RuleList, OnAndOffSetEveryBoxAndRule) {
    StartWithRules(kThreeRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        Press(dialog, IDC_ALL_OFF);
        for (int row = 0; row < 3; ++row) EXPECT_FALSE(list.Checked(row)) << row;
        Press(dialog, IDC_ALL_ON);
        for (int row = 0; row < 3; ++row) EXPECT_TRUE(list.Checked(row)) << row;
        EXPECT_EQ(FocusOf(dialog), list.hwnd());
        Press(dialog, IDOK);
    });
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
                                          u"1\t201\t\t5.0\t5.5\t5.2\r\n"
                                          u"1\t300\t\t10\t\t12\r\n"));
    EXPECT_EQ(RewriteProbe(), (std::vector<double>{8.5, 8.5, 5.2, 12}));
}

TEST_F(RuleList, EveryRulesFlagFollowsItsBoxWhateverTheUserClicks) {
    StartWithRules(kThreeRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCheckBox(0);  // ticked -> cleared
        EXPECT_FALSE(list.Checked(0));
        EXPECT_FALSE(list.Selected(0));
        list.ClickCell(2, 2);  // another column: no box changes
        EXPECT_TRUE(list.Checked(2));
        EXPECT_TRUE(list.Selected(2));
        list.ClickAt(list.BesideCheckBoxPoint(1));  // column 0 beside the box: no toggle
        EXPECT_FALSE(list.Checked(1));
        EXPECT_TRUE(list.Selected(1));
        EXPECT_EQ(list.SelectedCount(), 1u);
        list.PressKey(VK_SPACE);  // toggles the focused row 1
        EXPECT_TRUE(list.Checked(1));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"0\t101\t199\t8.1\t8.99\t8.5\r\n"
                                          u"1\t201\t\t5.0\t5.5\t5.2\r\n"
                                          u"1\t300\t\t10\t\t12\r\n"));
    EXPECT_EQ(RewriteProbe(), (std::vector<double>{8.3, 8.99, 5.2, 12}));
}

TEST_F(RuleList, ButtonsFollowTheSelectionAtEachClick) {
    StartWithRules(kThreeRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCell(0, 1);
        EXPECT_TRUE(ItemEnabled(dialog, IDC_DELETE));
        EXPECT_TRUE(ItemEnabled(dialog, IDC_MODIFY));
        list.ClickCell(2, 3, MK_CONTROL);
        EXPECT_EQ(list.SelectedCount(), 2u);
        EXPECT_TRUE(ItemEnabled(dialog, IDC_DELETE));
        EXPECT_FALSE(ItemEnabled(dialog, IDC_MODIFY));
        // MODIFY without exactly one selected row opens no editor.
        SendClickedNotification(dialog, IDC_MODIFY);
        EXPECT_EQ(WaitForDialog(kEditorCaption, 500), nullptr);
        Press(dialog, IDCANCEL);
    });
}

TEST_F(RuleList, DeleteRemovesTheSelectedRulesAndKeepsTheOthersInOrder) {
    StartWithRules(
        u"1\tA\t\t1\t\t2\r\n"
        u"0\tB\t\t3\t\t4\r\n"
        u"1\tC\t\t5\t\t6\r\n"
        u"0\tD\tE\t7\t\t8\r\n");
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCell(0, 1);
        list.ClickCell(2, 1, MK_CONTROL);
        ASSERT_EQ(list.SelectedCount(), 2u);
        Press(dialog, IDC_DELETE);
        const std::vector<ShownRule> left{{false, L"B", L"3", L"4"}, {false, L"D-E", L"7", L"8"}};
        EXPECT_EQ(ShownRules(list), left);
        // DEL and MODIFY keep their state with nothing selected, and then do nothing.
        EXPECT_EQ(list.SelectedCount(), 0u);
        EXPECT_TRUE(ItemEnabled(dialog, IDC_DELETE));
        Press(dialog, IDC_DELETE);
        EXPECT_EQ(ShownRules(list), left);
        EXPECT_EQ(FocusOf(dialog), list.hwnd());
        Press(dialog, IDOK);
    });
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"0\tB\t\t3\t\t4\r\n"
                                          u"0\tD\tE\t7\t\t8\r\n"));
}

TEST_F(RuleList, DeletingEveryRuleAndConfirmingEmptiesTheFile) {
    StartWithRules(kThreeRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCell(0, 1);
        list.ClickCell(2, 1, MK_SHIFT);
        ASSERT_EQ(list.SelectedCount(), 3u);
        Press(dialog, IDC_DELETE);
        EXPECT_EQ(list.RowCount(), 0);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u""));
    Restart();
    EXPECT_TRUE(RowsOnReopen().empty());
    EXPECT_EQ(RewriteProbe(), kProbeUnchanged);
}

TEST_F(RuleList, CancelKeepsTheChangesInMemoryUntilTheCommandStartsAgain) {
    StartWithRules(kThreeRules);
    const Bytes before = *RuleFileBytes();
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCheckBox(0);
        list.ClickCell(1, 1);
        Press(dialog, IDC_DELETE);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(RuleFileBytes(), before);
    EXPECT_EQ(RowsOnReopen(), (std::vector<ShownRule>{{false, L"101-199", L"8.1-8.99", L"8.5"},
                                                      {true, L"300", L"10", L"12"}}));
    EXPECT_EQ(RewriteProbe(), (std::vector<double>{8.3, 8.99, 5.1, 12}));
    Restart();
    EXPECT_EQ(RowsOnReopen(), kThreeRulesShown);
}

// The host may send events from its own message handling while the dialog runs: a second
// rule list opens nothing, and a rewrite uses the table as the dialog has left it so far.
TEST_F(RuleList, EventsSentWhileTheDialogRunsLeaveItInChargeOfTheTable) {
    StartWithRules(kThreeRules);
    KepTestSelectAll();
    RunRuleList([this](HWND dialog, const ListView& list) {
        list.ClickCheckBox(0);
        EXPECT_EQ(SendHostEvent(0), 0);
        EXPECT_EQ(ProbeDiameters(), (std::vector<double>{8.3, 8.99, 5.1, 12}));
        list.ClickCell(1, 1);
        ASSERT_EQ(SendHostEvent(7), 0);
        HWND editor = OpenEditor(dialog, IDC_ADD);
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(SendHostEvent(7), 0);
        Press(editor, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(editor));
        Press(dialog, IDC_DELETE);
        EXPECT_EQ(ShownRules(list),
                  (std::vector<ShownRule>{{false, L"101-199", L"8.1-8.99", L"8.5"},
                                          {true, L"300", L"10", L"12"}}));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"0\t101\t199\t8.1\t8.99\t8.5\r\n"
                                          u"1\t300\t\t10\t\t12\r\n"));
}

// A host that starts the command again while the dialog runs loads nothing over the table
// the dialog holds: a rule file another seat replaced meanwhile is still asked about at 확인,
// and the next start reads it.
TEST_F(RuleList, CommandStartedAgainWhileTheDialogRunsLeavesItInChargeOfTheTable) {
    StartWithRules(kThreeRules);
    const Bytes otherSeat = RuleFileOf(u"1\t555\t\t1\t2\t3\r\n");
    std::vector<ShownRule> edited = kThreeRulesShown;
    edited[0].checked = false;
    AnswerMessageBoxesWith(IDNO);
    RunRuleList([&](HWND dialog, const ListView& list) {
        WriteBytes(RuleFilePath().wstring(), otherSeat);
        list.ClickCheckBox(0);
        EXPECT_EQ(SendHostStart(), 0);
        EXPECT_EQ(ShownRules(list), edited);
        Press(dialog, IDOK);
    });
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].text.find("바뀐 시각: 20"), std::string::npos);
    EXPECT_EQ(RuleFileBytes(), otherSeat);
    EXPECT_EQ(RowsOnReopen(), edited);
    Restart();
    EXPECT_EQ(RowsOnReopen(), (std::vector<ShownRule>{{true, L"555", L"1-2", L"3"}}));
    ExpectMessageBoxes(1);
}

TEST_F(RuleList, ClosingWithTheCloseBoxWritesNothing) {
    StartWithRules(kThreeRules);
    const Bytes before = *RuleFileBytes();
    RunRuleList([](HWND dialog, const ListView& list) {
        Press(dialog, IDC_ALL_OFF);
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitUntilClosed(dialog));
        (void)list;
    });
    EXPECT_EQ(RuleFileBytes(), before);
    EXPECT_EQ(RewriteProbe(), kProbeUnchanged);
}

TEST_F(RuleList, FullTableOffersNoAddUntilARuleIsDeleted) {
    StartWithRules(ManyRules(49));
    RunRuleList([](HWND dialog, const ListView& list) {
        ASSERT_EQ(list.RowCount(), 49);
        EXPECT_FALSE(ItemEnabled(dialog, IDC_ADD));
        // Even a click that reaches the handler adds nothing.
        SendClickedNotification(dialog, IDC_ADD);
        EXPECT_EQ(WaitForDialog(kEditorCaption, 500), nullptr);
        EXPECT_EQ(list.RowCount(), 49);
        list.ClickCell(0, 1);
        Press(dialog, IDC_DELETE);
        EXPECT_EQ(list.RowCount(), 48);
        EXPECT_TRUE(ItemEnabled(dialog, IDC_ADD));
        Press(dialog, IDCANCEL);
    });
}

TEST_F(RuleList, AddingThe49thRuleDisablesAdd) {
    StartWithRules(ManyRules(48));
    RunRuleList([](HWND dialog, const ListView& list) {
        EXPECT_TRUE(ItemEnabled(dialog, IDC_ADD));
        HWND editor = OpenEditor(dialog, IDC_ADD);
        ASSERT_NE(editor, nullptr);
        Press(editor, IDOK);
        EXPECT_TRUE(WaitUntilClosed(editor));
        Settle(dialog);
        EXPECT_EQ(list.RowCount(), 49);
        EXPECT_FALSE(ItemEnabled(dialog, IDC_ADD));
        Press(dialog, IDOK);
    });
    const std::optional<Bytes> file = RuleFileBytes();
    ASSERT_TRUE(file.has_value());
    const Bytes lastLine = RuleFileOf(u"1\t101\t199\t8.1\t8.99\t8.5\r\n");
    ASSERT_GT(file->size(), lastLine.size());
    EXPECT_TRUE(
        std::equal(lastLine.begin() + 2, lastLine.end(), file->end() - (lastLine.size() - 2)));
}

TEST_F(RuleList, MissingRuleFileIsReportedAndConfirmingRulesCreatesIt) {
    ExpectMessageBoxes(1);
    StartWith(std::nullopt);
    RunRuleList([](HWND dialog, const ListView& list) {
        EXPECT_EQ(list.RowCount(), 0);
        HWND editor = OpenEditor(dialog, IDC_ADD);
        ASSERT_NE(editor, nullptr);
        Press(editor, IDOK);
        EXPECT_TRUE(WaitUntilClosed(editor));
        Settle(dialog);
        EXPECT_EQ(list.RowCount(), 1);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"1\t101\t199\t8.1\t8.99\t8.5\r\n"));
}

// Whatever the table could not take stays in the backup, byte for byte: lines that are no
// six-field rule, and rules beyond the 49th.
TEST_F(RuleList, ConfirmingKeepsTheOldFileWholeAsTheBackup) {
    ExpectMessageBoxes(1);  // the two lines with a TAB that gave no rule
    StartWithRules(
        u"# 공장 규칙\r\n"
        u"1\t101\t199\t8.1\t8.99\t8.5\t드릴 교체\r\n"
        u"0\t201\t\t5.0\t5.5\t5.2\r\n"
        u"1\t300\t\t10\t\t12\t\r\n");
    ExpectBackupAfterConfirming(RuleFileOf(u"0\t201\t\t5.0\t5.5\t5.2\r\n"));
}

// Lines the table cannot carry outlive any number of saves: the first save keeps the file
// for good under a dated name, and later saves, which replace the backup, add no copy.
TEST_F(RuleList, LinesTheTableCannotCarryOutliveRepeatedSaves) {
    ExpectMessageBoxes(1);  // the rules beyond the 49th
    StartWithRules(u"# 공장 규칙\r\n1\t101\t199\t8.1\t8.99\t8.5\t드릴 교체\r\n" + ManyRules(60));
    const Bytes asTheShopKeptIt = *RuleFileBytes();
    for (int save = 0; save < 3; ++save) {
        RunRuleList([](HWND dialog, const ListView&) {
            Press(dialog, IDC_REVERSE);
            Press(dialog, IDOK);
        });
    }
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(RuleFilePath().parent_path())) {
        const std::wstring name = entry.path().filename().wstring();
        if (name.starts_with(L"Quillet.def.") && name.ends_with(L".bak") &&
            name != L"Quillet.def.bak") {
            kept.push_back(entry.path());
        }
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(FileBytes(kept[0]), asTheShopKeptIt);
    EXPECT_NE(FileBytes(BackupPath()), asTheShopKeptIt);
}

}  // namespace

namespace {

// A rule file that another program held without sharing when the command started gave an
// empty table; 확인 then asks before the file is replaced, and a replace keeps it for good.
TEST_F(RuleList, FileUnreadableAtTheStartIsReplacedOnlyWhenTheUserSaysYes) {
    StartWithRules(kThreeRules);
    const Bytes shopRules = *RuleFileBytes();
    {
        const UniqueFile holder(CreateFileW(RuleFilePath().c_str(), GENERIC_READ, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        Restart();
    }
    ASSERT_EQ(MessageBoxes().size(), 1u);  // the sharing violation
    const auto addAndConfirm = [](HWND dialog, const ListView&) {
        HWND editor = OpenEditor(dialog, IDC_ADD);
        ASSERT_NE(editor, nullptr);
        Press(editor, IDOK);
        EXPECT_TRUE(WaitUntilClosed(editor));
        Settle(dialog);
        Press(dialog, IDOK);
    };
    AnswerMessageBoxesWith(IDNO);
    RunRuleList(addAndConfirm);
    ASSERT_EQ(MessageBoxes().size(), 2u);
    EXPECT_NE(MessageBoxes()[1].text.find("읽을 수 없었습니다"), std::string::npos);
    EXPECT_EQ(RuleFileBytes(), shopRules);

    AnswerMessageBoxesWith(IDYES);
    RunRuleList([](HWND dialog, const ListView&) { Press(dialog, IDOK); });
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"1\t101\t199\t8.1\t8.99\t8.5\r\n"));
    EXPECT_EQ(FileBytes(BackupPath()), shopRules);
    size_t keptForGood = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RuleFilePath().parent_path())) {
        const std::wstring name = entry.path().filename().wstring();
        if (name.starts_with(L"Quillet.def.2") && name.ends_with(L".bak")) {
            EXPECT_EQ(FileBytes(entry.path()), shopRules);
            ++keptForGood;
        }
    }
    EXPECT_EQ(keptForGood, 1u);
    ExpectMessageBoxes(3);
}

// A save that cannot replace the rule file is reported, leaves the old file whole, and
// keeps the edits in memory for the rest of the command's run.
TEST_F(RuleList, ConfirmingWhenTheRuleFileCannotBeReplacedKeepsTheOldFile) {
    StartWithRules(kThreeRules);
    const Bytes before = *RuleFileBytes();
    ASSERT_TRUE(SetFileAttributesW(RuleFilePath().c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectMessageBoxes(1);
    RunRuleList([](HWND dialog, const ListView& list) {
        Press(dialog, IDC_ALL_OFF);
        Press(dialog, IDOK);
        (void)list;
    });
    SetFileAttributesW(RuleFilePath().c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].text.find("파일을 저장할 수 없습니다"), std::string::npos);
    EXPECT_NE(MessageBoxes()[0].text.find("Quillet.def"), std::string::npos);
    EXPECT_EQ(RuleFileBytes(), before);
    EXPECT_EQ(RewriteProbe(), kProbeUnchanged);
    Restart();
    EXPECT_EQ(RowsOnReopen(), kThreeRulesShown);
}

}  // namespace

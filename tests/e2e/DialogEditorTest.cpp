// The rule editor opened by ADD and MODIFY, and the six values it remembers in the registry
// under HKEY_CURRENT_USER\SOFTWARE\Ferrimount\KEP\Quillet (cleared before each test).
#include <gtest/gtest.h>

#include <tuple>

#include "DialogFixture.h"
#include "dialogs/resource.h"

namespace {

constexpr char16_t kTwoRules[] =
    u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
    u"0\t201\t\t5.0\t5.5\t5.2\r\n";

const EditorFields kDefaults{true, L"101", L"199", L"8.1", L"8.99", L"8.5"};
const std::vector<std::wstring> kDefaultValues{L"1", L"101", L"199", L"8.1", L"8.99", L"8.5"};

// Runs the editor from ADD inside a rule list run; `drive` gets the editor window.
void WithEditorFromAdd(HWND dialog, const std::function<void(HWND editor)>& drive) {
    HWND editor = OpenEditor(dialog, IDC_ADD);
    ASSERT_NE(editor, nullptr) << "the editor did not open";
    drive(editor);
    EXPECT_TRUE(WaitUntilClosed(editor));
    Settle(dialog);
}

using RuleEditor = DialogTest;

TEST_F(RuleEditor, FirstAddStartsFromTheDefaultsAndRemembersThemEvenWhenCancelled) {
    StartWithRules(kTwoRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        WithEditorFromAdd(dialog, [](HWND editor) {
            EXPECT_EQ(TextOf(editor), L"Master Setting");
            EXPECT_EQ(ItemText(editor, IDOK), L"적용");
            EXPECT_EQ(ReadEditor(editor), kDefaults);
            EXPECT_EQ(FocusOf(editor), GetDlgItem(editor, IDCANCEL));
            EXPECT_EQ(EditorValues(), kDefaultValues);
            FillEditor(editor, {false, L"1", L"2", L"3", L"4", L"5"});
            Press(editor, IDCANCEL);
        });
        EXPECT_EQ(list.RowCount(), 2);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(EditorValues(), kDefaultValues);
}

TEST_F(RuleEditor, ConfirmedAddAppendsTheRuleAndRemembersWhatWasTyped) {
    StartWithRules(kTwoRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        WithEditorFromAdd(dialog, [](HWND editor) {
            FillEditor(editor, {false, L"", L"", L"", L"", L""});
            TypeInto(editor, IDC_CODE_FROM, L"300");
            TypeInto(editor, IDC_DIAMETER_FROM, L"10");
            TypeInto(editor, IDC_DIAMETER_TO, L"10.5");
            TypeInto(editor, IDC_DIAMETER_MODIFY, L"12");
            Press(editor, IDOK);
        });
        ASSERT_EQ(list.RowCount(), 3);
        EXPECT_EQ(ShownRules(list)[2], (ShownRule{false, L"300", L"10-10.5", L"12"}));
        EXPECT_EQ(list.SelectedCount(), 0u);
        EXPECT_EQ(FocusOf(dialog), list.hwnd());
        Press(dialog, IDOK);
    });
    EXPECT_EQ(EditorValues(),
              (std::vector<std::wstring>{L"0", L"300", L"", L"10", L"10.5", L"12"}));
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
                                          u"0\t201\t\t5.0\t5.5\t5.2\r\n"
                                          u"0\t300\t\t10\t10.5\t12\r\n"));
}

TEST_F(RuleEditor, ModifyShowsTheRuleAndReplacesItInItsRow) {
    StartWithRules(kTwoRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCell(1, 1);
        HWND editor = OpenEditor(dialog, IDC_MODIFY);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(ReadEditor(editor), (EditorFields{false, L"201", L"", L"5.0", L"5.5", L"5.2"}));
        // MODIFY starts from the rule, not from the registry.
        EXPECT_EQ(ReadEditorValue(L"CodeFrom"), std::nullopt);
        FillEditor(editor, {false, L"201", L"299", L"5.0", L"5.5", L"5.2"});
        Press(editor, IDOK);
        EXPECT_TRUE(WaitUntilClosed(editor));
        Settle(dialog);
        EXPECT_EQ(ShownRules(list),
                  (std::vector<ShownRule>{{true, L"101-199", L"8.1-8.99", L"8.5"},
                                          {false, L"201-299", L"5.0-5.5", L"5.2"}}));
        EXPECT_EQ(list.SelectedCount(), 0u);
        EXPECT_FALSE(ItemEnabled(dialog, IDC_MODIFY));
        EXPECT_FALSE(ItemEnabled(dialog, IDC_DELETE));
        // The next new rule starts from what MODIFY confirmed.
        WithEditorFromAdd(dialog, [](HWND next) {
            EXPECT_EQ(ReadEditor(next),
                      (EditorFields{false, L"201", L"299", L"5.0", L"5.5", L"5.2"}));
            Press(next, IDCANCEL);
        });
        Press(dialog, IDOK);
    });
    EXPECT_EQ(EditorValues(),
              (std::vector<std::wstring>{L"0", L"201", L"299", L"5.0", L"5.5", L"5.2"}));
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
                                          u"0\t201\t299\t5.0\t5.5\t5.2\r\n"));
}

TEST_F(RuleEditor, CancelledModifyChangesNeitherTheRuleNorTheRegistry) {
    StartWithRules(kTwoRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        list.ClickCell(0, 2);
        HWND editor = OpenEditor(dialog, IDC_MODIFY);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(ReadEditor(editor), kDefaults);  // rule 1 holds the default values
        FillEditor(editor, {false, L"7", L"8", L"9", L"10", L"11"});
        Press(editor, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(editor));
        Settle(dialog);
        EXPECT_EQ(ShownRules(list)[0], (ShownRule{true, L"101-199", L"8.1-8.99", L"8.5"}));
        EXPECT_TRUE(list.Selected(0));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(EditorValues(), std::vector<std::wstring>(6, L"<missing>"));
}

TEST_F(RuleEditor, TheBoxAsLeftAtApplyIsTheRulesFlag) {
    StartWithRules(u"");
    RunRuleList([](HWND dialog, const ListView& list) {
        // Clicked off, then a field typed in.
        WithEditorFromAdd(dialog, [](HWND editor) {
            Press(editor, IDC_ENABLED);
            TypeInto(editor, IDC_CODE_TO, L"5");
            Press(editor, IDOK);
        });
        // Typed in, then clicked off and on again.
        WithEditorFromAdd(dialog, [](HWND editor) {
            EXPECT_FALSE(IsDlgButtonChecked(editor, IDC_ENABLED));
            TypeInto(editor, IDC_CODE_TO, L"6");
            Press(editor, IDC_ENABLED);
            Press(editor, IDC_ENABLED);
            Press(editor, IDC_ENABLED);
            Press(editor, IDOK);
        });
        EXPECT_EQ(ShownRules(list),
                  (std::vector<ShownRule>{{false, L"101-1995", L"8.1-8.99", L"8.5"},
                                          {true, L"101-19956", L"8.1-8.99", L"8.5"}}));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(ReadEditorValue(L"isDisplay"), L"1");
}

TEST_F(RuleEditor, FieldsConfirmedEmptyStayEmpty) {
    StartWithRules(u"");
    RunRuleList([](HWND dialog, const ListView& list) {
        WithEditorFromAdd(dialog, [](HWND editor) {
            SetItemText(editor, IDC_CODE_TO, L"");
            SetItemText(editor, IDC_DIAMETER_TO, L"");
            Press(editor, IDOK);
        });
        EXPECT_EQ(ShownRules(list)[0], (ShownRule{true, L"101", L"8.1", L"8.5"}));
        WithEditorFromAdd(dialog, [](HWND editor) {
            EXPECT_EQ(ReadEditor(editor), (EditorFields{true, L"101", L"", L"8.1", L"", L"8.5"}));
            Press(editor, IDCANCEL);
        });
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(EditorValues(), (std::vector<std::wstring>{L"1", L"101", L"", L"8.1", L"", L"8.5"}));
}

// 적용 with a text the rule could not use keeps the editor open, names the field and the
// text, and puts the focus there; nothing reaches the list or the registry until it succeeds.
TEST_F(RuleEditor, ApplyRefusesWhatItCannotReadAndTakesItOnceCorrected) {
    // Which texts are refused, and the words, are tested natively (CheckEditorValues).
    const std::tuple<int, const wchar_t*, const char*> refused[] = {
        {IDC_DIAMETER_FROM, L"9,95", "구멍경(대상) 시작 값 \"9,95\""},
        {IDC_DIAMETER_MODIFY, L"", "구멍경(수정)이(가) 비어 있습니다"}};
    ExpectMessageBoxes(std::size(refused));
    StartWithRules(u"");
    RunRuleList([&](HWND dialog, const ListView& list) {
        WithEditorFromAdd(dialog, [&](HWND editor) {
            for (const auto& [field, text, told] : refused) {
                FillEditor(editor, {true, L"101", L"", L"9", L"", L"10"});
                SetItemText(editor, field, text);
                Press(editor, IDOK);
                Settle(editor);
                ASSERT_FALSE(MessageBoxes().empty()) << told;
                EXPECT_NE(MessageBoxes().back().text.find(told), std::string::npos) << told;
                EXPECT_TRUE(IsWindowVisible(editor)) << told;
                EXPECT_EQ(FocusOf(editor), GetDlgItem(editor, field)) << told;
                EXPECT_EQ(EditorValues(), kDefaultValues) << told;
            }
            FillEditor(editor, {true, L"101", L"", L"9.95", L"", L"10"});
            Press(editor, IDOK);
        });
        EXPECT_EQ(ShownRules(list), (std::vector<ShownRule>{{true, L"101", L"9.95", L"10"}}));
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(EditorValues(), (std::vector<std::wstring>{L"1", L"101", L"", L"9.95", L"", L"10"}));
}

TEST_F(RuleEditor, EachRememberedValueFallsBackToItsDefaultByItself) {
    WriteEditorText(L"isDisplay", L"yes");  // anything but "1" reads as off
    WriteEditorText(L"CodeFrom", L"abc");   // not a number: shown as it is
    WriteEditorText(L"CodeTo", L"");
    WriteEditorText(L"DiameterFrom", L"1.5");
    WriteEditorText(L"DiameterModify", L"2.5");
    // DiameterTo missing.
    StartWithRules(u"");
    RunRuleList([](HWND dialog, const ListView&) {
        WithEditorFromAdd(dialog, [](HWND editor) {
            EXPECT_EQ(ReadEditor(editor),
                      (EditorFields{false, L"abc", L"", L"1.5", L"8.99", L"2.5"}));
            Press(editor, IDCANCEL);
        });
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(EditorValues(),
              (std::vector<std::wstring>{L"yes", L"abc", L"", L"1.5", L"8.99", L"2.5"}));
}

TEST_F(RuleEditor, TextsUpTo126CharactersAreRememberedLongerOnesAreNot) {
    const std::wstring text126(126, L'7');
    const std::wstring text127(127, L'8');
    StartWithRules(u"");
    RunRuleList([&](HWND dialog, const ListView& list) {
        WithEditorFromAdd(dialog, [&](HWND editor) {
            SetItemText(editor, IDC_CODE_FROM, text126);
            SetItemText(editor, IDC_CODE_TO, text127);
            Press(editor, IDOK);
        });
        // The rule itself keeps both texts whole.
        EXPECT_EQ(list.CellText(0, 1).size(), 126u + 1 + 127u);
        WithEditorFromAdd(dialog, [&](HWND editor) {
            EXPECT_EQ(ItemText(editor, IDC_CODE_FROM), text126);
            EXPECT_EQ(ItemText(editor, IDC_CODE_TO), L"199");
            Press(editor, IDCANCEL);
        });
        Press(dialog, IDOK);
    });
    EXPECT_EQ(ReadEditorValue(L"CodeFrom"), text126);
    EXPECT_EQ(ReadEditorValue(L"CodeTo"), L"199");
    const std::u16string line = u"1\t" + std::u16string(126, u'7') + u"\t" +
                                std::u16string(127, u'8') + u"\t8.1\t8.99\t8.5\r\n";
    EXPECT_EQ(RuleFileBytes(), RuleFileOf(line));
}

TEST_F(RuleEditor, ValuesNotWrittenByTheModuleAreReadOnlyAsFarAsTheirData) {
    // 255 bytes without a null: 127 whole units and half of one.
    std::vector<unsigned char> noNull;
    for (int i = 0; i < 127; ++i) noNull.insert(noNull.end(), {'4', 0});
    noNull.push_back('5');
    WriteEditorValue(L"CodeFrom", REG_BINARY, noNull.data(), static_cast<DWORD>(noNull.size()));
    const unsigned char oddText[] = {'9', 0, '.', 0, '5'};
    WriteEditorValue(L"DiameterFrom", REG_SZ, oddText, sizeof oddText);
    const wchar_t innerNull[] =
        L"12\0"
        L"34";
    WriteEditorValue(L"CodeTo", REG_SZ, innerNull, sizeof innerNull);
    const DWORD number = 1;
    WriteEditorValue(L"isDisplay", REG_DWORD, &number, sizeof number);  // reads as text "\x1"
    StartWithRules(u"");
    RunRuleList([](HWND dialog, const ListView&) {
        WithEditorFromAdd(dialog, [](HWND editor) {
            EXPECT_EQ(ReadEditor(editor), (EditorFields{false, std::wstring(127, L'4'), L"12",
                                                        L"9.", L"8.99", L"8.5"}));
            Press(editor, IDCANCEL);
        });
        Press(dialog, IDCANCEL);
    });
}

}  // namespace

// The rule list's click filter and scroll focus, driven with mouse and scroll messages at
// the list's real coordinates.
#include <gtest/gtest.h>

#include "DialogFixture.h"
#include "dialogs/resource.h"

namespace {

constexpr char16_t kThreeRules[] =
    u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
    u"0\t201\t\t5.0\t5.5\t5.2\r\n"
    u"1\t300\t\t10\t\t12\r\n";

int ColumnsWidth(const ListView& list) {
    int width = 0;
    for (int column = 0; column < list.ColumnCount(); ++column) width += list.ColumnWidth(column);
    return width;
}

using ListClicks = DialogTest;

TEST_F(ListClicks, ClicksBelowTheRowsOrRightOfTheColumnsAreDropped) {
    StartWithRules(kThreeRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        HWND okButton = GetDlgItem(dialog, IDOK);
        ASSERT_EQ(FocusOf(dialog), okButton);
        const RECT lastRow = list.RowBounds(2);
        const RECT firstRow = list.RowBounds(0);
        list.ClickAt({firstRow.left + 60, lastRow.bottom + 10});
        list.ClickAt(
            {firstRow.left + ColumnsWidth(list) + 5, (firstRow.top + firstRow.bottom) / 2});
        EXPECT_EQ(list.SelectedCount(), 0u);
        EXPECT_EQ(FocusOf(dialog), okButton) << "a dropped click leaves the focus where it was";
        EXPECT_FALSE(ItemEnabled(dialog, IDC_DELETE));

        // After DEL the buttons stay enabled with nothing selected; a click that reached the
        // dialog would refresh (disable) them.
        list.ClickCell(1, 1);
        Press(dialog, IDC_DELETE);
        ASSERT_TRUE(ItemEnabled(dialog, IDC_MODIFY));
        list.ClickAt({firstRow.left + 60, list.RowBounds(1).bottom + 10});
        EXPECT_TRUE(ItemEnabled(dialog, IDC_MODIFY));
        EXPECT_TRUE(ItemEnabled(dialog, IDC_DELETE));
        // A click on a cell does reach it.
        list.ClickCell(0, 3, MK_CONTROL);
        list.ClickCell(0, 3, MK_CONTROL);
        EXPECT_EQ(list.SelectedCount(), 0u);
        EXPECT_FALSE(ItemEnabled(dialog, IDC_MODIFY));
        EXPECT_FALSE(ItemEnabled(dialog, IDC_DELETE));
        Press(dialog, IDCANCEL);
    });
}

TEST_F(ListClicks, ClicksInAnEmptyListAreDropped) {
    StartWithRules(u"");
    RunRuleList([](HWND dialog, const ListView& list) {
        HWND okButton = GetDlgItem(dialog, IDOK);
        RECT client{};
        GetClientRect(list.hwnd(), &client);
        list.ClickAt({20, client.bottom / 2});
        list.ClickAt({5, 30});
        EXPECT_EQ(FocusOf(dialog), okButton);
        Press(dialog, IDCANCEL);
    });
}

TEST_F(ListClicks, EdgePixelsOfTheRowBelongToItsCells) {
    StartWithRules(kThreeRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        const RECT row = list.RowBounds(1);
        const int y = (row.top + row.bottom) / 2;
        const int right = row.left + ColumnsWidth(list);
        // The last pixel inside the last column selects the row.
        list.ClickAt({right - 1, y});
        EXPECT_TRUE(list.Selected(1));
        // The boundary between columns 0 and 1 belongs to column 0 and selects the row.
        list.ClickAt({row.left + list.ColumnWidth(0),
                      (list.RowBounds(2).top + list.RowBounds(2).bottom) / 2});
        EXPECT_TRUE(list.Selected(2));
        EXPECT_FALSE(list.Selected(1));
        // The first pixel right of the row is off every cell.
        list.ClickAt({right, y});
        EXPECT_FALSE(list.Selected(1));
        EXPECT_TRUE(list.Selected(2));
        // The first pixel of the row is in column 0.
        const bool checkedBefore = list.Checked(0);
        list.ClickAt(
            {list.RowBounds(0).left, (list.RowBounds(0).top + list.RowBounds(0).bottom) / 2});
        EXPECT_TRUE(list.Selected(0) || list.Checked(0) != checkedBefore);
        Press(dialog, IDCANCEL);
    });
}

TEST_F(ListClicks, ScrollingTheListGivesItTheFocus) {
    std::u16string lines;
    for (int i = 0; i < 40; ++i)
        lines +=
            u"1\t" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\t\t1\t\t2\r\n";
    StartWithRules(lines);
    RunRuleList([](HWND dialog, const ListView& list) {
        HWND okButton = GetDlgItem(dialog, IDOK);
        ASSERT_EQ(FocusOf(dialog), okButton);
        ASSERT_EQ(list.TopIndex(), 0);
        list.SendScroll(WM_VSCROLL, SB_LINEDOWN);
        EXPECT_EQ(FocusOf(dialog), list.hwnd());
        EXPECT_EQ(list.TopIndex(), 1);
        PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(okButton), TRUE);
        Settle(dialog);
        ASSERT_EQ(FocusOf(dialog), okButton);
        list.SendScroll(WM_HSCROLL, SB_LINERIGHT);
        EXPECT_EQ(FocusOf(dialog), list.hwnd());
        Press(dialog, IDCANCEL);
    });
}

}  // namespace

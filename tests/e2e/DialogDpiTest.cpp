// The rule list at the display's DPI. ctest runs these once per DPI, each time in a Wine
// prefix set to that DPI, and names it in QUILLET_TEST_DPI.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "DialogFixture.h"

namespace {

// Ordinary rules with the widest texts a cell usually holds.
constexpr char16_t kOrdinaryRules[] =
    u"1\t101\t199\t8.125\t8.999\t8.5\r\n"
    u"0\t2001\t2999\t10.005\t10.995\t10.525\r\n"
    u"1\t300\t\t12\t\t12.125\r\n";

// The widths at 100 % scaling.
constexpr int kDesignWidths[] = {40, 100, 100, 100};

int DpiOfThePrefix() {
    const char* dpi = std::getenv("QUILLET_TEST_DPI");
    return dpi != nullptr ? std::atoi(dpi) : 96;
}

// The DPIs tested are multiples of 48, at which every design width scales exactly.
int ScaledWidth(int column, int dpi) {
    return kDesignWidths[column] * dpi / 96;
}

// Width of a text in the list's own font.
int TextWidth(const ListView& list, const std::wstring& text) {
    return static_cast<int>(
        SendMessageW(list.hwnd(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

// The header's margin on each side of an item's text.
int HeaderMargin(const ListView& list) {
    return static_cast<int>(
        SendMessageW(ListView_GetHeader(list.hwnd()), HDM_GETBITMAPMARGIN, 0, 0));
}

struct BoxSize {
    int cx = 0;
    int cy = 0;
};

BoxSize StateImageSize(const ListView& list) {
    BoxSize size;
    ImageList_GetIconSize(ListView_GetImageList(list.hwnd(), LVSIL_STATE), &size.cx, &size.cy);
    return size;
}

void SendDpiChange(HWND dialog, int dpi) {
    RECT bounds{};
    GetWindowRect(dialog, &bounds);
    SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&bounds));
}

using ListAtDpi = DialogTest;

TEST_F(ListAtDpi, EveryColumnHoldsItsHeaderItsWidestCellAndTheCheckBox) {
    StartWithRules(kOrdinaryRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        const int dpi = static_cast<int>(GetDpiForWindow(list.hwnd()));
        ASSERT_EQ(dpi, DpiOfThePrefix()) << "the prefix is not set to the DPI under test";
        const int margins = 2 * HeaderMargin(list);
        ASSERT_GT(margins, 0);
        ASSERT_EQ(list.ColumnCount(), 4);
        for (int column = 0; column < 4; ++column) {
            const int width = list.ColumnWidth(column);
            EXPECT_EQ(width, ScaledWidth(column, dpi)) << "column " << column;
            int widest = TextWidth(list, list.HeaderText(column));
            for (int row = 0; row < list.RowCount(); ++row) {
                widest = std::max(widest, TextWidth(list, list.CellText(row, column)));
            }
            EXPECT_GE(width, widest + margins) << "column " << column << " at " << dpi << " DPI";
        }
        EXPECT_GE(list.ColumnWidth(0), StateImageSize(list).cx + margins) << "the check box";
        Press(dialog, IDCANCEL);
    });
}

TEST_F(ListAtDpi, ColumnsAndCheckBoxesFollowADpiChangeWhileOpen) {
    StartWithRules(kOrdinaryRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        const int dpi = static_cast<int>(GetDpiForWindow(list.hwnd()));
        const BoxSize box = StateImageSize(list);
        const std::vector<ShownRule> rows = ShownRules(list);

        SendDpiChange(dialog, 2 * dpi);
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(list.ColumnWidth(column), ScaledWidth(column, 2 * dpi));
        }
        EXPECT_EQ(StateImageSize(list).cx, 2 * box.cx);
        EXPECT_EQ(StateImageSize(list).cy, 2 * box.cy);
        EXPECT_EQ(ShownRules(list), rows) << "the boxes keep their states";

        SendDpiChange(dialog, dpi);
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(list.ColumnWidth(column), ScaledWidth(column, dpi));
        }
        EXPECT_EQ(StateImageSize(list).cx, box.cx);
        // The redrawn boxes still tick and clear.
        list.ClickCheckBox(1);
        EXPECT_TRUE(list.Checked(1));
        Press(dialog, IDCANCEL);
    });
}

}  // namespace

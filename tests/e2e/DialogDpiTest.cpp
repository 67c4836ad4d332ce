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

// Where the list's hit test finds row 0's check box on the row's middle line.
struct BoxSpan {
    int width = 0;
    int right = 0;  // the first pixel right of the box, from the row's left edge
};

BoxSpan CheckBoxSpan(const ListView& list) {
    const RECT row = list.RowBounds(0);
    BoxSpan span;
    for (int x = row.left; x < row.right; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = {x, (row.top + row.bottom) / 2};
        SendMessageW(list.hwnd(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem != 0 || (hit.flags & LVHT_ONITEMSTATEICON) == 0) continue;
        ++span.width;
        span.right = x + 1 - row.left;
    }
    return span;
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
        const BoxSpan box = CheckBoxSpan(list);
        ASSERT_GT(box.width, 0);
        EXPECT_GE(list.ColumnWidth(0), box.width + margins) << "the check box";
        EXPECT_LE(box.right, list.ColumnWidth(0)) << "the check box";
        Press(dialog, IDCANCEL);
    });
}

TEST_F(ListAtDpi, ColumnsAndCheckBoxesFollowADpiChangeWhileOpen) {
    StartWithRules(kOrdinaryRules);
    RunRuleList([](HWND dialog, const ListView& list) {
        const int dpi = static_cast<int>(GetDpiForWindow(list.hwnd()));
        const int boxWidth = CheckBoxSpan(list).width;
        const std::vector<ShownRule> rows = ShownRules(list);

        SendDpiChange(dialog, 2 * dpi);
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(list.ColumnWidth(column), ScaledWidth(column, 2 * dpi));
        }
        // The hit area holds the image and a padding of a pixel or two that does not scale.
        EXPECT_NEAR(CheckBoxSpan(list).width, 2 * boxWidth, 2);
        EXPECT_EQ(ShownRules(list), rows) << "the boxes keep their states";

        SendDpiChange(dialog, dpi);
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(list.ColumnWidth(column), ScaledWidth(column, dpi));
        }
        EXPECT_EQ(CheckBoxSpan(list).width, boxWidth);
        // The redrawn boxes still tick and clear.
        list.ClickCheckBox(1);
        EXPECT_TRUE(list.Checked(1));
        Press(dialog, IDCANCEL);
    });
}

}  // namespace

// The rule list at the display's DPI. ctest runs this once per DPI, each time in a Wine
// prefix set to that DPI, which it names in QUILLET_TEST_DPI.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "DialogFixture.h"

namespace {

// The widths at 100 % scaling; the DPIs tested (multiples of 48) scale them exactly.
constexpr int kDesignWidths[] = {40, 100, 100, 100};

// Row 0's check box on its middle line, as the list's hit test finds it: its width and the
// first pixel right of it, from the row's left edge.
std::pair<int, int> CheckBoxWidthAndEnd(const ListView& list) {
    const RECT row = list.RowBounds(0);
    int width = 0, end = 0;
    for (int x = row.left; x < row.right; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = {x, (row.top + row.bottom) / 2};
        SendMessageW(list.hwnd(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem == 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) ++width, end = x + 1;
    }
    return {width, end - row.left};
}

void ExpectWidthsAt(const ListView& list, int dpi) {
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(list.ColumnWidth(column), kDesignWidths[column] * dpi / 96) << column;
    }
}

void SendDpiChange(HWND dialog, int dpi) {
    RECT bounds{};
    GetWindowRect(dialog, &bounds);
    SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&bounds));
}

using ListAtDpi = DialogTest;

TEST_F(ListAtDpi, ColumnsHoldTheirTextsAndTheBoxAndFollowADpiChange) {
    StartWithRules(u"1\t101\t199\t8.125\t8.999\t8.5\r\n0\t2001\t2999\t10.005\t10.995\t10.525\r\n");
    RunRuleList([](HWND dialog, const ListView& list) {
        const int dpi = static_cast<int>(GetDpiForWindow(list.hwnd()));
        const char* prefixDpi = std::getenv("QUILLET_TEST_DPI");
        ASSERT_EQ(dpi, prefixDpi != nullptr ? std::atoi(prefixDpi) : 96) << "prefix not set";
        ExpectWidthsAt(list, dpi);
        const auto margin =
            SendMessageW(ListView_GetHeader(list.hwnd()), HDM_GETBITMAPMARGIN, 0, 0);
        const auto textWidth = [&list](const std::wstring& text) {
            return SendMessageW(list.hwnd(), LVM_GETSTRINGWIDTHW, 0,
                                reinterpret_cast<LPARAM>(text.c_str()));
        };
        for (int column = 0; column < 4; ++column) {
            auto widest = textWidth(list.HeaderText(column));
            for (int row = 0; row < 2; ++row)
                widest = std::max(widest, textWidth(list.CellText(row, column)));
            EXPECT_GE(list.ColumnWidth(column), widest + 2 * margin) << column << " at " << dpi;
        }
        const auto [boxWidth, boxEnd] = CheckBoxWidthAndEnd(list);
        ASSERT_GT(boxWidth, 0);
        EXPECT_LE(boxEnd + margin, list.ColumnWidth(0)) << "the check box column holds its box";

        // Moved to a monitor at twice the DPI and back.
        SendDpiChange(dialog, 2 * dpi);
        ExpectWidthsAt(list, 2 * dpi);
        // The hit area holds the image and a padding of a pixel or two that does not scale.
        EXPECT_NEAR(CheckBoxWidthAndEnd(list).first, 2 * boxWidth, 2);
        SendDpiChange(dialog, dpi);
        ExpectWidthsAt(list, dpi);
        EXPECT_EQ(CheckBoxWidthAndEnd(list).first, boxWidth);
        list.ClickCheckBox(1);
        EXPECT_TRUE(list.Checked(1)) << "the redrawn boxes still tick";
        Press(dialog, IDCANCEL);
    });
}

}  // namespace

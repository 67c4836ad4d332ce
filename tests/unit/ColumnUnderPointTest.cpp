#include "controls/ColumnUnderPoint.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ColumnUnderPoint, ColumnsAreSummedFromTheRowsLeftEdge) {
    const std::vector<int> widths{40, 100, 100, 100};
    struct Case {
        int x, rowLeft, column;
    };
    const Case cases[] = {
        {0, 0, 0},   // first pixel of the row
        {40, 0, 0},  // boundary between columns 0 and 1 belongs to column 0
        {41, 0, 1},    {140, 0, 1},  {141, 0, 2},
        {340, 0, 3},   {341, 0, -1},  // right of the last column
        {-1, 0, -1},                  // left of the row
        {-20, -30, 0},                // a row scrolled to the left
        {10, -30, 0},  {11, -30, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColumnAtX(c.x, c.rowLeft, widths), c.column) << c.x << " from " << c.rowLeft;
    }
}

TEST(ColumnUnderPoint, NoColumnsOrEmptyColumns) {
    EXPECT_EQ(ColumnAtX(0, 0, {}), -1);
    // A zero-width column still owns its one boundary pixel, before the next column.
    const std::vector<int> widths{0, 10};
    EXPECT_EQ(ColumnAtX(0, 0, widths), 0);
    EXPECT_EQ(ColumnAtX(1, 0, widths), 1);
    EXPECT_EQ(ColumnAtX(10, 0, widths), 1);
}

}  // namespace

#include "controls/DpiScale.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(DpiScale, RoundsToTheNearestPixelWithHalvesAwayFromZero) {
    struct Case {
        int pixels, fromDpi, toDpi, expected;
    };
    const Case cases[] = {
        {40, 96, 96, 40},    {100, 96, 96, 100},  // 100 %: every size as given
        {40, 96, 144, 60},   {100, 96, 144, 150}, {40, 96, 192, 80},
        {100, 96, 120, 125}, {13, 96, 144, 20},  // 19.5 rounds up
        {13, 96, 120, 16},                       // 16.25 rounds down
        {1, 96, 144, 2},     {-13, 96, 144, -20}, {0, 96, 192, 0},
        {150, 144, 96, 100}, {20, 144, 192, 27},  // 26.67, from a density other than 96
        {7, 3, 2, 5},                             // 4.67 with an odd divisor
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleForDpi(c.pixels, c.fromDpi, c.toDpi), c.expected)
            << c.pixels << " px from " << c.fromDpi << " to " << c.toDpi;
    }
}

TEST(DpiScale, UnknownDensityKeepsTheSizeAndHugeSizesSaturate) {
    EXPECT_EQ(ScaleForDpi(40, 0, 144), 40);
    EXPECT_EQ(ScaleForDpi(40, 96, -1), 40);
    const int most = std::numeric_limits<int>::max();
    EXPECT_EQ(ScaleForDpi(most, 96, 192), most);
    EXPECT_EQ(ScaleForDpi(std::numeric_limits<int>::min(), 96, 192),
              std::numeric_limits<int>::min());
    EXPECT_EQ(ScaleForDpi(most, 192, 96), most / 2 + 1);
}

}  // namespace

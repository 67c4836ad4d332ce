#include "controls/DpiScale.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(DpiScale, RoundsHalvesAwayFromZeroKeepsUnknownDensitiesAndSaturates) {
    constexpr int kMost = std::numeric_limits<int>::max();
    // clang-format off
    const int cases[][4] = {  // pixels, from DPI, to DPI, expected
        {40, 96, 96, 40},   {40, 96, 144, 60},    {13, 96, 144, 20},   {13, 96, 120, 16},
        {-13, 96, 144, -20}, {20, 144, 192, 27},  {7, 3, 2, 5},        {40, 0, 144, 40},
        {40, 96, -1, 40},   {kMost, 96, 192, kMost}, {-kMost - 1, 96, 192, -kMost - 1},
        {kMost, 192, 96, kMost / 2 + 1}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(ScaleForDpi(c[0], c[1], c[2]), c[3])
            << c[0] << " from " << c[1] << " to " << c[2];
    }
}

}  // namespace

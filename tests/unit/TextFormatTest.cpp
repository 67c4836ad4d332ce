#include "texts/TextFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

TEST(TextFormat, FillsPlaceholdersInOrderWithEachKindOfValue) {
    const std::u16string path = u"D:\\cam\\Quillet.def";
    EXPECT_EQ(Format(u"{}: {}개, {}개 ({})", path, int32_t{-3}, size_t{12}, u"끝"),
              u"D:\\cam\\Quillet.def: -3개, 12개 (끝)");
    EXPECT_EQ(Format(u"{}{}", std::numeric_limits<uint64_t>::max(), int64_t{-1}),
              u"18446744073709551615-1");
}

TEST(TextFormat, WritesLimitsWithoutExponentOrSpareDigits) {
    EXPECT_EQ(Format(u"{}부터 {}까지", 0.0001, 100000.0), u"0.0001부터 100000까지");
    EXPECT_EQ(Format(u"{}", 8.5), u"8.5");
}

TEST(TextFormat, MismatchedCountsShowInTheText) {
    EXPECT_EQ(Format(u"구멍 {}개, 단계 {}개", 2), u"구멍 2개, 단계 {}개");
    EXPECT_EQ(Format(u"구멍", 2, 3), u"구멍");
    // A value that itself holds "{}" is not filled in again.
    EXPECT_EQ(Format(u"{} {}", u"{}", 1), u"{} 1");
    EXPECT_EQ(Format(u"{ } {}}", 7), u"{ } 7}");
}

TEST(TextFormat, Utf8LinesKeepTheirValuesAsBytes) {
    EXPECT_EQ(
        FormatUtf8(u"파일을 읽을 수 없습니다: {} ({})", std::string("r\xff.def"), uint64_t{7}),
        "파일을 읽을 수 없습니다: r\xff.def (7)");
}

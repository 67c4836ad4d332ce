#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using enum SurrogateForm;

TEST(Utf8FromUtf16, WritesLoneSurrogatesAsTold) {
    const std::u16string reversedPair = {0xDC00, 0xD800};
    EXPECT_EQ(Utf8FromUtf16(reversedPair, Replaced), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Utf8FromUtf16(reversedPair, ThreeBytes), "\xED\xB0\x80\xED\xA0\x80");
    EXPECT_EQ(Utf8FromUtf16(u"x\xD83D\xDE00\xD83D", Replaced), "x\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

TEST(Utf16FromUtf8Strict, AcceptsOnlyWellFormedBytes) {
    const struct {
        std::string bytes;
        SurrogateForm surrogates;
        std::optional<std::u16string> text;
    } cases[] = {
        {"\xED\x9F\xBF\xEE\x80\x80", Replaced, u"\xD7FF\xE000"},
        {"\xED\xA0\x80", Replaced, std::nullopt},
        {"\xED\xA0\xBD\xED\xB8\x80", ThreeBytes, u"\xD83D\xDE00"},
        {"\xF4\x8F\xBF\xBF", ThreeBytes, u"\xDBFF\xDFFF"},
        {"\xF4\x90\x80\x80", ThreeBytes, std::nullopt},  // above U+10FFFF
        {"\xC0\x80", ThreeBytes, std::nullopt},          // overlong
        {"\xE0\x9F\xBF", ThreeBytes, std::nullopt},
        {"\xF0\x8F\xBF\xBF", ThreeBytes, std::nullopt},
        {"\xE2\x82", ThreeBytes, std::nullopt},  // cut short by the end
        {"\xF5\x80\x80\x80", ThreeBytes, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf16FromUtf8Strict(c.bytes, c.surrogates), c.text)
            << testing::PrintToString(c.bytes);
    }
}

// Any bytes, as a POSIX file name may hold them, survive the trip; names that differ in
// their bytes stay different, also from the U+FFFD a lossy reading would give.
TEST(Utf16FromBytesEscaping, KeepsEveryByteAndTellsNamesApart) {
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"r\xEF\xBF\xBD.def", u"r\xFFFD.def"},
        {"r\xFF.def", u"r\xDCFF.def"},
        {"\xED\xB3\xBF", u"\xDCED\xDCB3\xDCBF"},  // a surrogate's three bytes are not UTF-8
        {"\xE2\x82", u"\xDCE2\xDC82"},            // cut short
        {"\xF0\x9F\x98\x80\xC3", u"\xD83D\xDE00\xDCC3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf16FromBytesEscaping(c.bytes), c.text) << testing::PrintToString(c.bytes);
        EXPECT_EQ(BytesFromUtf16Escaped(c.text), c.bytes) << testing::PrintToString(c.bytes);
    }
}

}  // namespace

// The quick path for values of up to four decimals must write exactly what the general
// conversion writes, at its edges (where the scientific form takes over) and off them.
TEST(ShortestDecimal, WritesWhatTheGeneralConversionWrites) {
    const auto general = [](double value) {
        char buffer[64];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    };
    std::vector<double> values = {0.0,        -0.0,
                                  0.0001,     0.0005,
                                  0.0009999,  0.001,
                                  0.0012,     0.00015,
                                  1e-05,      0.1,
                                  0.3,        8.5,
                                  10000,      20000,
                                  99999.9999, 99999.99995,
                                  100000,     1e300,
                                  -8.5,       0.1 + 0.2,
                                  1.0 / 3.0,  std::nextafter(8.5, 9.0)};
    for (int64_t k = 0; k <= 2'000'000; k += 7) values.push_back(static_cast<double>(k) / 10000);
    for (int64_t k = 999'990'000; k < 1'000'000'000; k += 3) {
        values.push_back(static_cast<double>(k) / 10000);
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 200'000; ++i) {
        values.push_back(std::ldexp(static_cast<double>(random() >> 11), -53) * 200000.0);
    }
    for (const double value : values) ASSERT_EQ(ShortestDecimal(value), general(value)) << value;
}

#include "workbench/Json.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

namespace {

TEST(ShortestNumber, IsTheShortestTextThatReadsBack) {
    const std::pair<double, const char*> cases[] = {
        {8.5, "8.5"},
        {0.1, "0.1"},
        {8.99, "8.99"},
        {100, "100"},
        {-0.0, "-0"},
        {1e21, "1e+21"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
        {std::nextafter(8.99, 9.0), "8.990000000000002"},
        {std::numeric_limits<double>::infinity(), "Infinity"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(ShortestNumber(value), text);

    std::mt19937_64 random(7);
    for (int i = 0; i < 10000; ++i) {
        const double value = std::bit_cast<double>(random());
        if (!std::isfinite(value)) continue;
        const std::string text = ShortestNumber(value);
        EXPECT_EQ(std::bit_cast<uint64_t>(std::strtod(text.c_str(), nullptr)),
                  std::bit_cast<uint64_t>(value))
            << text;
    }
}

TEST(JsonWriter, SeparatesValuesAndEscapesTexts) {
    JsonWriter json;
    json.BeginObject().Key("a").BeginArray().Integer(1).Number(0.5).Null().EndArray();
    json.Key("b").String("\"\\\n\x01구멍").Key("c").String(std::u16string(u"x\xD800y"));
    json.Key("f").String("a\xC0\xFF");
    json.Key("d").Number(std::numeric_limits<double>::infinity()).Key("e").IntegerOrNull(0);
    json.EndObject();
    EXPECT_EQ(json.Text(), R"({"a":[1,0.5,null],"b":"\"\\\n\u0001구멍","c":"x�y","f":"a��",)"
                           R"("d":"Infinity","e":null})");
}

// What would make a printed document show other than it holds is escaped; its neighbours and
// other text are not.
TEST(JsonWriter, EscapesCharactersThatMoveTheTextAround) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"a\u202Ab\u202Ec", R"("a\u202ab\u202ec")"},
        {"\u2066\u2067\u2068\u2069", R"("\u2066\u2067\u2068\u2069")"},
        {"\u200E\u200F\u061C", R"("\u200e\u200f\u061c")"},
        {"줄\u2028문단\u2029", R"("줄\u2028문단\u2029")"},
        {"\x7F\u0085\u009B", R"("\u007f\u0085\u009b")"},
        {"\u2029\u202F\u2065\u206A\u200D\u00A0😀", "\"\\u2029\u202F\u2065\u206A\u200D\u00A0😀\""},
    };
    for (const auto& c : cases) {
        JsonWriter json;
        EXPECT_EQ(json.String(std::string_view(c.text)).Text(), c.written) << c.written;
    }
    JsonWriter json;
    EXPECT_EQ(json.String(std::u16string(u"\u202E8.5")).Text(), R"("\u202e8.5")");
}

}  // namespace

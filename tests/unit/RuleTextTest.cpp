#include "rules/RuleText.h"

#include "rules/CompiledRules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <limits>
#include <string>

namespace {

struct CodeCase {
    std::u16string text;
    int32_t expected;
};

TEST(ParseCode, ReadsTheLeadingDecimalInteger) {
    const CodeCase cases[] = {
        {u"101", 101},
        {u"  101", 101},
        {u"\t\r\n\v\f7", 7},
        {u"+42", 42},
        {u"-42", -42},
        {u"101abc", 101},
        {u"12 34", 12},
        {u"abc", 0},
        {u"", 0},
        {u"-", 0},
        {u"+", 0},
        {u" - 5", 0},
        {u"0x1A", 0},
        {u"007", 7},
        {u"1.9", 1},
        {u"２", 0},
        {u"\u3000"
         u"5",
         0},
        {u"2147483647", 2147483647},
        {u"-2147483648", std::numeric_limits<int32_t>::min()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCode(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(ParseCode, SaturatesLikeA32BitLong) {
    EXPECT_EQ(ParseCode(u"2147483648"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseCode(u"99999999999"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseCode(u"-2147483649"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ParseCode(u"-99999999999"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ParseCode(std::u16string(5000, u'9') + u"x"), std::numeric_limits<int32_t>::max());
}

struct DiameterCase {
    std::u16string text;
    double expected;
};

TEST(ParseDiameter, ReadsTheLongestDecimalPrefix) {
    const DiameterCase cases[] = {
        {u"8.5", 8.5},     {u"  8.99", 8.99},   {u"8.5mm", 8.5}, {u".5", 0.5},    {u"5.", 5.0},
        {u"-2.25", -2.25}, {u"+3", 3.0},        {u"1e2", 100.0}, {u"1E-2", 0.01}, {u"1e", 1.0},
        {u"1e+", 1.0},     {u"2.5e3x", 2500.0}, {u".", 0.0},     {u"-.", 0.0},    {u"abc", 0.0},
        {u"", 0.0},        {u"8,5", 8.0},       {u"inf", 0.0},   {u"nan", 0.0},   {u"0x10", 0.0},
        {u"1.2.3", 1.2},   {u"\n\t 0.1", 0.1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDiameter(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(ParseDiameter, OverflowAndUnderflowLikeTheCLibrary) {
    EXPECT_EQ(ParseDiameter(u"1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseDiameter(u"-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseDiameter(u"1e-400"), 0.0);
    EXPECT_TRUE(std::signbit(ParseDiameter(u"-1e-400")));
    EXPECT_EQ(ParseDiameter(u"0.000000001e-330"), 0.0);
    EXPECT_EQ(ParseDiameter(u"923456789e300"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseDiameter(u"4.9e-324"), 4.9e-324);
}

// The parsers must not depend on the process locale: a comma-decimal locale changes
// nothing, and the results and consumed lengths match the C library's wide conversions in
// the C locale.
TEST(ParseDiameter, AgreesWithTheCLibraryAndIgnoresTheLocale) {
    const char* const texts[] = {"8.1",
                                 "8.99",
                                 "0.1",
                                 "1e-5",
                                 "123.456e7",
                                 "1e308",
                                 "2.2250738585072014e-308",
                                 "  -0.0",
                                 "9.999999999999999999",
                                 "0.30000000000000004",
                                 "101abc",
                                 "8,5",
                                 " -1e+",
                                 "1.2.3",
                                 "5. ",
                                 "-.",
                                 "abc",
                                 ""};
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may be absent; then it stays "C"
    for (const char* text : texts) {
        const std::string narrow(text);
        const std::u16string u16(narrow.begin(), narrow.end());
        const std::wstring wide(narrow.begin(), narrow.end());
        std::setlocale(LC_NUMERIC, "C");
        wchar_t* diameterEnd = nullptr;
        wchar_t* codeEnd = nullptr;
        const double reference = std::wcstod(wide.c_str(), &diameterEnd);
        const long referenceCode = std::wcstol(wide.c_str(), &codeEnd, 10);
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        EXPECT_EQ(ParseDiameter(u16), reference) << text;
        EXPECT_EQ(ParseCode(u16), static_cast<int32_t>(referenceCode)) << text;
        EXPECT_EQ(ReadDiameterPrefix(u16).length, size_t(diameterEnd - wide.c_str())) << text;
        EXPECT_EQ(ReadCodePrefix(u16).length, size_t(codeEnd - wide.c_str())) << text;
    }
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace

namespace {

// How a whole text reads, for every judgement of a rule text: one number, blank, no number,
// or a number with something after it; and whether the number lies beyond the type.
TEST(ReadFieldNumber, TellsHowTheWholeTextReads) {
    using enum TextReading;
    const struct {
        std::u16string text;
        TextReading code, diameter;
        bool codeOutOfRange, diameterOutOfRange;
    } cases[] = {
        {u" 101 \t", Number, Number, false, false},
        {u"", Blank, Blank, false, false},
        {u" \t\r\n", Blank, Blank, false, false},
        {u"abc", NoNumber, NoNumber, false, false},
        {u"8.5", PartialNumber, Number, false, false},
        {u"8.5 9", PartialNumber, PartialNumber, false, false},
        {u"8 .5", PartialNumber, PartialNumber, false, false},
        {u"8,5", PartialNumber, PartialNumber, false, false},
        {u"2147483647", Number, Number, false, false},
        {u"-0002147483648", Number, Number, false, false},
        {u"2147483648", Number, Number, true, false},
        {u"-99999999999x", PartialNumber, PartialNumber, true, false},
        {u"1e309", PartialNumber, Number, false, true},
        {u"-1e309", PartialNumber, Number, false, true},
    };
    for (const auto& c : cases) {
        const std::string name(c.text.begin(), c.text.end());
        const FieldNumber<int32_t> code = ReadCode(c.text);
        const FieldNumber<double> diameter = ReadDiameter(c.text);
        EXPECT_EQ(code.reading, c.code) << name;
        EXPECT_EQ(diameter.reading, c.diameter) << name;
        EXPECT_EQ(code.outOfRange, c.codeOutOfRange) << name;
        EXPECT_EQ(diameter.outOfRange, c.diameterOutOfRange) << name;
        EXPECT_EQ(code.value, ParseCode(c.text)) << name;
        EXPECT_EQ(diameter.value, ParseDiameter(c.text)) << name;
    }
}

// A new diameter is a number from 0.0001 to 100000 with no further digits after it.
TEST(ReadNewDiameter, TakesOnlyOneNumberAHoleCanHave) {
    using F = NewDiameterFault;
    const struct {
        std::u16string text;
        NewDiameterFault fault;
    } cases[] = {
        {u"8.5", F::None},
        {u" 8.5\t", F::None},
        {u"0.0001", F::None},
        {u"100000", F::None},
        {u"1e5", F::None},
        {u"", F::Blank},
        {u"  ", F::Blank},
        {u"abc", F::NoNumber},
        {u"inf", F::NoNumber},
        {u"8.5 9", F::PartialNumber},
        {u"8 .5", F::PartialNumber},
        {u"8,5", F::PartialNumber},
        {u"8.5x9", F::PartialNumber},
        {u"0x10", F::PartialNumber},
        {u"8.5mm", F::None},
        {u"1e309", F::NotFinite},
        {u"-1e309", F::NotFinite},
        {u"1e-320mm", F::Implausible},
        {u"1e-320", F::Implausible},
        {u"5e-324", F::Implausible},
        {u"1e300", F::Implausible},
        {u"0", F::Implausible},
        {u"-0", F::Implausible},
        {u"-8.5", F::Implausible},
        {u"0.0000999", F::Implausible},
        {u"100000.00001", F::Implausible},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadNewDiameter(c.text).fault, c.fault)
            << std::string(c.text.begin(), c.text.end());
    }
    EXPECT_EQ(ReadNewDiameter(u"8.5 9").value, 8.5);
}

}  // namespace

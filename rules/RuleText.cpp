#include "rules/RuleText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

bool IsAsciiSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

size_t SkipSpace(std::u16string_view text, size_t i) {
    while (i < text.size() && IsAsciiSpace(text[i])) ++i;
    return i;
}

// Reads an optional sign at i; returns true for a minus.
bool ReadSign(std::u16string_view text, size_t& i) {
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) return text[i++] == u'-';
    return false;
}

}  // namespace

NumberPrefix<int32_t> ReadCodePrefix(std::u16string_view text) {
    size_t i = SkipSpace(text, 0);
    const bool negative = ReadSign(text, i);
    // Accumulate the magnitude towards the limit so that overflow saturates.
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    const size_t firstDigit = i;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > limit) magnitude = limit + 1;  // stays bounded, remembers overflow
    }
    if (i == firstDigit) return {0, 0};
    if (magnitude > limit) magnitude = limit;
    return {static_cast<int32_t>(negative ? -magnitude : magnitude), i};
}

int32_t ParseCode(std::u16string_view text) {
    return ReadCodePrefix(text).value;
}

namespace {

// The end of the longest decimal numeral at i (digits, point, fraction, exponent), without
// its sign; i when there is no digit before or after the point. `magnitude` receives the
// power of ten of the first significant digit (0 for a zero), which tells overflow from
// underflow when the value is out of range.
size_t ScanDecimal(std::u16string_view text, size_t i, int64_t& magnitude) {
    const size_t start = i;
    bool significant = false;
    int64_t position = -1;  // power of ten of the digit just read
    size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
        if (significant) {
            ++magnitude;
        } else if (text[i] != u'0') {
            significant = true;
            magnitude = 0;
        }
    }
    if (i < text.size() && text[i] == u'.') {
        size_t j = i + 1;
        for (; j < text.size() && IsDigit(text[j]); ++j, ++digits) {
            if (!significant && text[j] != u'0') {
                significant = true;
                magnitude = position;
            }
            --position;
        }
        if (digits > 0) i = j;
    }
    if (digits == 0) return start;
    if (!significant) magnitude = 0;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        size_t j = i + 1;
        const bool negative = j < text.size() && text[j] == u'-';
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) ++j;
        int64_t value = 0;
        const size_t firstDigit = j;
        for (; j < text.size() && IsDigit(text[j]); ++j) {
            if (value < 1'000'000'000) value = value * 10 + (text[j] - u'0');
        }
        if (j > firstDigit) {
            magnitude += negative ? -value : value;
            i = j;
        }
    }
    return i;
}

}  // namespace

NumberPrefix<double> ReadDiameterPrefix(std::u16string_view text) {
    size_t i = SkipSpace(text, 0);
    const bool negative = ReadSign(text, i);
    int64_t magnitude = 0;
    const size_t end = ScanDecimal(text, i, magnitude);
    if (end == i) return {0.0, 0};
    // The numeral's units are all ASCII: the characters from_chars reads.
    std::string numeral(end - i, '\0');
    for (size_t k = 0; k < numeral.size(); ++k) numeral[k] = static_cast<char>(text[i + k]);
    double value = 0.0;
    const auto result = std::from_chars(numeral.data(), numeral.data() + numeral.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return {negative ? -value : value, end};
}

double ParseDiameter(std::u16string_view text) {
    return ReadDiameterPrefix(text).value;
}

bool IsBlankText(std::u16string_view text) {
    for (const char16_t c : text) {
        if (!IsAsciiSpace(c)) return false;
    }
    return true;
}

namespace {

TextReading ReadingOf(std::u16string_view text, size_t length) {
    if (length == 0) return IsBlankText(text) ? TextReading::Blank : TextReading::NoNumber;
    return IsBlankText(text.substr(length)) ? TextReading::Number : TextReading::PartialNumber;
}

}  // namespace

FieldNumber<int32_t> ReadCode(std::u16string_view text) {
    const NumberPrefix<int32_t> prefix = ReadCodePrefix(text);
    // Saturation gives a limit; only digits beyond it tell a saturated code from the limit.
    bool outOfRange = false;
    if (prefix.value == std::numeric_limits<int32_t>::max() ||
        prefix.value == std::numeric_limits<int32_t>::min()) {
        size_t i = SkipSpace(text, 0);
        ReadSign(text, i);
        while (i < prefix.length && text[i] == u'0') ++i;
        outOfRange = prefix.length - i > 10 ||
                     (prefix.length - i == 10 &&
                      text.substr(i, 10) > (prefix.value < 0 ? u"2147483648" : u"2147483647"));
    }
    return {prefix.value, ReadingOf(text, prefix.length), prefix.length, outOfRange};
}

FieldNumber<double> ReadDiameter(std::u16string_view text) {
    const NumberPrefix<double> prefix = ReadDiameterPrefix(text);
    return {prefix.value, ReadingOf(text, prefix.length), prefix.length,
            !std::isfinite(prefix.value)};
}

// Reading numbers out of rule texts. Both parsers behave the same on every platform and in
// every locale: ASCII white space is skipped, a point is the decimal separator, and the
// longest numeric prefix is used; a text without one reads as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Like a base-10 wide string-to-long conversion with a 32-bit long: out-of-range values
// saturate at INT32_MAX / INT32_MIN.
int32_t ParseCode(std::u16string_view text);

// Like a wide string-to-double conversion of decimal notation (digits, optional point and
// fraction, optional exponent). Overflow gives +-infinity, underflow a signed zero.
double ParseDiameter(std::u16string_view text);

// The same readings together with how many characters they consumed (leading white space
// and sign included), as the conversions' end pointer tells; 0 when the text holds no number.
template <typename Number>
struct NumberPrefix {
    Number value;
    size_t length;
};
NumberPrefix<int32_t> ReadCodePrefix(std::u16string_view text);
NumberPrefix<double> ReadDiameterPrefix(std::u16string_view text);

// How a field's whole text reads. Every judgement of a rule text (the rule file's reader,
// the rule editor, quillet-rules check and import) asks these readers.
enum class TextReading : uint8_t {
    Number,         // one number, with nothing but white space before and after it
    Blank,          // nothing but white space: reads as 0
    NoNumber,       // no number at its start: reads as 0
    PartialNumber,  // a number followed by other characters ("8,5", "8.5 9"): reads as it
};

template <typename Number>
struct FieldNumber {
    Number value;  // what the prefix readings above give
    TextReading reading;
    size_t length;  // of the number, leading white space and sign included
    // A code beyond 32 bits (saturated), a diameter beyond binary64 (infinite).
    bool outOfRange;
};
FieldNumber<int32_t> ReadCode(std::u16string_view text);
FieldNumber<double> ReadDiameter(std::u16string_view text);

// The white space the readers skip: ASCII space, TAB, LF, VT, FF, CR.
bool IsBlankText(std::u16string_view text);

#include "texts/TextFormat.h"

#include <charconv>

namespace text_format {

namespace {

std::string FixedForm(double number) {
    char buffer[400];  // the fixed form of the largest double has 309 digits
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

template <typename Char>
std::basic_string<Char> FillIn(std::basic_string_view<Char> pattern,
                               std::span<const std::basic_string<Char>> values) {
    static constexpr Char kPlaceUnits[] = {Char('{'), Char('}')};
    const std::basic_string_view<Char> kPlace(kPlaceUnits, 2);
    std::basic_string<Char> text;
    size_t next = 0;
    size_t from = 0;
    for (size_t at = pattern.find(kPlace);
         at != std::basic_string_view<Char>::npos && next < values.size();
         at = pattern.find(kPlace, from)) {
        text += pattern.substr(from, at - from);
        text += values[next++];
        from = at + kPlace.size();
    }
    text += pattern.substr(from);
    return text;
}

}  // namespace

std::u16string Shown(double number) {
    return Utf16FromAscii(FixedForm(number));
}

std::string ShownUtf8(double number) {
    return FixedForm(number);
}

std::u16string Fill(std::u16string_view pattern, std::span<const std::u16string> values) {
    return FillIn(pattern, values);
}

std::string Fill(std::string_view pattern, std::span<const std::string> values) {
    return FillIn(pattern, values);
}

}  // namespace text_format

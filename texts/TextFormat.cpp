#include "texts/TextFormat.h"

#include <charconv>

namespace text_format {

std::u16string Shown(double number) {
    char buffer[400];  // the fixed form of the largest double has 309 digits
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
    return Utf16FromAscii(std::string_view(buffer, result.ptr));
}

std::u16string Fill(std::u16string_view pattern, std::span<const std::u16string> values) {
    static constexpr std::u16string_view kPlace = u"{}";
    std::u16string text;
    size_t next = 0;
    size_t from = 0;
    for (size_t at = pattern.find(kPlace); at != std::u16string_view::npos && next < values.size();
         at = pattern.find(kPlace, from)) {
        text += pattern.substr(from, at - from);
        text += values[next++];
        from = at + kPlace.size();
    }
    text += pattern.substr(from);
    return text;
}

}  // namespace text_format

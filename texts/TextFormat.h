// A message as one text with its values filled in: "총 {}개의 구멍을 수정하였습니다." and the
// count. Each "{}" takes the next value in order; a "{}" left without a value stays as it is,
// and a value without a "{}" is dropped, so that a mismatch shows in the text rather than
// reading past the values. FormatUtf8 does the same for the workbench's lines, whose values
// are bytes as the program was given them.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"

namespace text_format {

inline std::u16string Shown(std::u16string_view text) {
    return std::u16string(text);
}
template <std::integral Number>
requires(!std::same_as<Number, bool> && !std::same_as<Number, char16_t>) std::u16string
    Shown(Number number) {
    if constexpr (std::unsigned_integral<Number>) {
        return Utf16FromAscii(std::to_string(static_cast<uint64_t>(number)));
    } else {
        return DecimalUtf16(static_cast<int64_t>(number));
    }
}
// A limit such as 0.0001 or 100000 as people write it: without an exponent, no digit more
// than reads back to the same number.
std::u16string Shown(double number);

template <std::integral Number>
requires(!std::same_as<Number, bool> && !std::same_as<Number, char>) std::string
    ShownUtf8(Number number) {
    return std::to_string(number);
}
inline std::string ShownUtf8(std::string_view text) {
    return std::string(text);
}
// The same form as bytes, for the workbench's lines.
std::string ShownUtf8(double number);

std::u16string Fill(std::u16string_view pattern, std::span<const std::u16string> values);
std::string Fill(std::string_view pattern, std::span<const std::string> values);

}  // namespace text_format

template <typename... Values>
std::u16string Format(std::u16string_view pattern, const Values&... values) {
    const std::array<std::u16string, sizeof...(Values)> shown{text_format::Shown(values)...};
    return text_format::Fill(pattern, shown);
}

template <typename... Values>
std::string FormatUtf8(std::u16string_view pattern, const Values&... values) {
    const std::array<std::string, sizeof...(Values)> shown{text_format::ShownUtf8(values)...};
    return text_format::Fill(Utf8FromUtf16(pattern, SurrogateForm::Replaced), shown);
}

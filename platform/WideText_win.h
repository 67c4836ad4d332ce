// Conversions between the portable core's UTF-16 text and the Windows API's wchar_t text.
// Both are UTF-16 code units on Windows; the texts are copied unit by unit, never reinterpreted.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must hold one UTF-16 code unit");

inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string ToU16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

// UTF-8 for the rule texts, which are UTF-16 code units as the module stores them. A lone
// surrogate has no UTF-8 form; it is written as the three bytes its code point would take
// (as WTF-8 does), so that every stored text survives a trip through UTF-8 unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

std::string Utf8FromUtf16(std::u16string_view text);

// Nothing when the bytes are not UTF-8 (three-byte surrogate forms are accepted).
std::optional<std::u16string> Utf16FromUtf8(std::string_view bytes);

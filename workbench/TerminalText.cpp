#include "workbench/TerminalText.h"

#include <cstdio>
#include <optional>

#include "platform/TextEncoding.h"

namespace {

size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

std::string Escaped(const char* format, unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

bool IsC1(char16_t unit) {
    return unit >= 0x80 && unit < 0xA0;
}

}  // namespace

bool MovesShownText(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C || c == 0x2028 || c == 0x2029;
}

std::string TerminalText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const size_t length = SequenceLength(byte);
        const std::string_view character = bytes.substr(i, length);
        const std::optional<std::u16string> decoded =
            length == 0 || character.size() < length
                ? std::nullopt
                : Utf16FromUtf8Strict(character, SurrogateForm::Replaced);
        if (!decoded) {
            text += Escaped("\\x%02X", byte);
            ++i;
            continue;
        }
        const char16_t unit = decoded->front();
        const bool lineEnd = byte == '\n' || (byte == '\r' && bytes.substr(i + 1, 1) == "\n");
        if (length == 1 && (byte < 0x20 || byte == 0x7F) && !lineEnd) {
            text += Escaped("\\x%02X", byte);
        } else if (decoded->size() == 1 && (IsC1(unit) || MovesShownText(unit))) {
            text += Escaped("\\u%04X", unit);
        } else {
            text += character;
        }
        i += length;
    }
    return text;
}

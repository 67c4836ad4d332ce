#include "workbench/TerminalText.h"

#include <cstdio>

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

bool IsC1(std::string_view character) {
    return character.size() == 2 && static_cast<unsigned char>(character[0]) == 0xC2 &&
           static_cast<unsigned char>(character[1]) < 0xA0;
}

}  // namespace

std::string TerminalText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const size_t length = SequenceLength(byte);
        const std::string_view character = bytes.substr(i, length);
        if (length == 0 || character.size() < length ||
            !Utf16FromUtf8Strict(character, SurrogateForm::Replaced)) {
            text += Escaped("\\x%02X", byte);
            ++i;
            continue;
        }
        const bool lineEnd = byte == '\n' || (byte == '\r' && bytes.substr(i + 1, 1) == "\n");
        if (length == 1 && (byte < 0x20 || byte == 0x7F) && !lineEnd) {
            text += Escaped("\\x%02X", byte);
        } else if (IsC1(character)) {
            text += Escaped("\\u%04X", static_cast<unsigned char>(character[1]));
        } else {
            text += character;
        }
        i += length;
    }
    return text;
}

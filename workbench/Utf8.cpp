#include "workbench/Utf8.h"

namespace {

bool IsLeadSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsTrailSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t cp) {
    const auto byte = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (cp < 0x80) {
        byte(cp);
    } else if (cp < 0x800) {
        byte(0xC0 | (cp >> 6));
        byte(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        byte(0xE0 | (cp >> 12));
        byte(0x80 | ((cp >> 6) & 0x3F));
        byte(0x80 | (cp & 0x3F));
    } else {
        byte(0xF0 | (cp >> 18));
        byte(0x80 | ((cp >> 12) & 0x3F));
        byte(0x80 | ((cp >> 6) & 0x3F));
        byte(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

// The byte count of the sequence a lead byte starts (0: not a lead byte) and the smallest
// code point such a sequence may carry (anything smaller is an overlong form).
struct Utf8Lead {
    size_t length;
    char32_t minimum;
};

Utf8Lead LeadOf(unsigned char lead) {
    if (lead < 0x80) return {1, 0};
    if (lead < 0xC2) return {0, 0};
    if (lead < 0xE0) return {2, 0x80};
    if (lead < 0xF0) return {3, 0x800};
    if (lead < 0xF5) return {4, 0x10000};
    return {0, 0};
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (IsLeadSurrogate(cp) && i + 1 < text.size() && IsTrailSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::optional<std::u16string> Utf16FromUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const Utf8Lead lead = LeadOf(static_cast<unsigned char>(bytes[i]));
        if (lead.length == 0 || i + lead.length > bytes.size()) return std::nullopt;
        char32_t cp = lead.length == 1
                          ? static_cast<unsigned char>(bytes[i])
                          : static_cast<unsigned char>(bytes[i]) & (0x7F >> lead.length);
        for (size_t k = 1; k < lead.length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < lead.minimum || cp > 0x10FFFF) return std::nullopt;
        AppendUtf16(out, cp);
        i += lead.length;
    }
    return out;
}

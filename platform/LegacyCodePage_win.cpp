#include "platform/LegacyCodePage.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {

// MultiByteToWideChar with no flags: bytes that are no character of the code page become
// its default character, so the conversion fails only for an unknown code page.
std::u16string Decode(UINT codePage, std::span<const unsigned char> bytes) {
    std::u16string text;
    for (size_t done = 0; done < bytes.size();) {
        // Whole chunks keep a double-byte character together unless it straddles a chunk's
        // end, which only a file of more than 2 GB can have.
        const int size = static_cast<int>(std::min<size_t>(bytes.size() - done, INT_MAX / 2));
        const auto* chunk = reinterpret_cast<const char*>(bytes.data() + done);
        const int units = MultiByteToWideChar(codePage, 0, chunk, size, nullptr, 0);
        if (units <= 0) break;
        const size_t at = text.size();
        text.resize(at + static_cast<size_t>(units));
        MultiByteToWideChar(codePage, 0, chunk, size, reinterpret_cast<wchar_t*>(text.data() + at),
                            units);
        done += static_cast<size_t>(size);
    }
    return text;
}

LegacyTextDecoder DecoderFor(UINT codePage) {
    return [codePage](std::span<const unsigned char> bytes) { return Decode(codePage, bytes); };
}

}  // namespace

uint32_t SystemCodePage() {
    return GetACP();
}

LegacyTextDecoder SystemCodePageDecoder() {
    return DecoderFor(CP_ACP);
}

std::optional<LegacyTextDecoder> CodePageDecoder(uint32_t codePage) {
    if (codePage == 0 || codePage > 65535 || !IsValidCodePage(codePage)) return std::nullopt;
    return DecoderFor(codePage);
}

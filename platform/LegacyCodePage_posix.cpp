#include "platform/LegacyCodePage.h"

#include <errno.h>
#include <iconv.h>

#include <memory>
#include <string>
#include <type_traits>

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// iconv_t is a pointer in glibc: the owner holds it as it is.
struct IconvCloser {
    void operator()(std::remove_pointer_t<iconv_t>* converter) const { iconv_close(converter); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

// glibc names Windows code page N "CPN" (CP949 is Unified Hangul Code, as Windows has it).
Converter Open(uint32_t codePage) {
    const std::string name = "CP" + std::to_string(codePage);
    const iconv_t converter = iconv_open("UTF-16LE", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return Converter(converter);
}

void AppendUtf16Le(std::u16string& text, const char* bytes, size_t size) {
    for (size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
}

// A byte that starts no character, or a character cut short by the end, becomes one U+FFFD
// and the conversion goes on after that byte.
std::u16string Decode(uint32_t codePage, std::span<const unsigned char> bytes) {
    const Converter converter = Open(codePage);
    std::u16string text;
    if (!converter) return text;
    char out[4096];
    auto* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outAt = out;
        size_t outLeft = sizeof out;
        const size_t result = iconv(converter.get(), &in, &inLeft, &outAt, &outLeft);
        const int error = errno;
        AppendUtf16Le(text, out, static_cast<size_t>(outAt - out));
        if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
        text.push_back(kReplacementCharacter);
        // Some converters step over an ill-formed pair before they report it, to the end
        // of the bytes at most.
        if (inLeft > 0) {
            ++in;
            --inLeft;
        }
        iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return text;
}

LegacyTextDecoder DecoderFor(uint32_t codePage) {
    return [codePage](std::span<const unsigned char> bytes) { return Decode(codePage, bytes); };
}

}  // namespace

uint32_t SystemCodePage() {
    return kDefaultLegacyCodePage;
}

LegacyTextDecoder SystemCodePageDecoder() {
    return DecoderFor(kDefaultLegacyCodePage);
}

std::optional<LegacyTextDecoder> CodePageDecoder(uint32_t codePage) {
    if (codePage == 0 || !Open(codePage)) return std::nullopt;
    return DecoderFor(codePage);
}

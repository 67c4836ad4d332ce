#include "platform/LegacyCodePage.h"

#include <errno.h>
#include <iconv.h>

#include <bit>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;
// The code units come out in the machine's order, so that they are appended as they are.
constexpr const char* kUtf16Native =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// iconv_t is a pointer in glibc: the owner holds it as it is.
struct IconvCloser {
    void operator()(std::remove_pointer_t<iconv_t>* converter) const { iconv_close(converter); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

// glibc names Windows code page N "CPN" (CP949 is Unified Hangul Code, as Windows has it).
Converter Open(uint32_t codePage) {
    const std::string name = "CP" + std::to_string(codePage);
    const iconv_t converter = iconv_open(kUtf16Native, name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return Converter(converter);
}

// One converter for the decoder and all its copies: opening one reads the C library's
// module list each time. A converter holds the state of one conversion, so one runs at a
// time.
class SharedConverter {
public:
    explicit SharedConverter(Converter converter) : converter_(std::move(converter)) {}

    // A byte that starts no character, or a character cut short by the end, becomes one
    // U+FFFD and the conversion goes on after that byte.
    std::u16string Decode(std::span<const unsigned char> bytes) {
        const std::lock_guard lock(mutex_);
        const iconv_t converter = converter_.get();
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        std::u16string text;
        char16_t out[2048];
        auto* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
        size_t inLeft = bytes.size();
        while (inLeft > 0) {
            auto* outAt = reinterpret_cast<char*>(out);
            size_t outLeft = sizeof out;
            const size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
            const int error = errno;
            text.append(out, (sizeof out - outLeft) / sizeof(char16_t));
            if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
            text.push_back(kReplacementCharacter);
            // Some converters step over an ill-formed pair before they report it, to the end
            // of the bytes at most.
            if (inLeft > 0) {
                ++in;
                --inLeft;
            }
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
        return text;
    }

private:
    std::mutex mutex_;
    Converter converter_;
};

LegacyTextDecoder DecoderOf(Converter converter) {
    auto shared = std::make_shared<SharedConverter>(std::move(converter));
    return [shared](std::span<const unsigned char> bytes) { return shared->Decode(bytes); };
}

// A code page the C library cannot convert decodes every text as empty.
LegacyTextDecoder EmptyDecoder() {
    return [](std::span<const unsigned char>) { return std::u16string(); };
}

}  // namespace

uint32_t SystemCodePage() {
    return kDefaultLegacyCodePage;
}

LegacyTextDecoder SystemCodePageDecoder() {
    Converter converter = Open(kDefaultLegacyCodePage);
    return converter ? DecoderOf(std::move(converter)) : EmptyDecoder();
}

std::optional<LegacyTextDecoder> CodePageDecoder(uint32_t codePage) {
    if (codePage == 0) return std::nullopt;
    Converter converter = Open(codePage);
    if (!converter) return std::nullopt;
    return DecoderOf(std::move(converter));
}

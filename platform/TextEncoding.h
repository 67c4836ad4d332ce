// Conversions between UTF-16 code units, as the module stores its texts, and UTF-8 bytes.
// UTF-8 proper has no form for a surrogate code point; each conversion is told what becomes
// of one, since readers of messages need valid UTF-8 while stored texts must round-trip.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

enum class SurrogateForm {
    // Writing puts U+FFFD for a lone surrogate, so the bytes are always valid UTF-8; reading
    // takes the three-byte form of a surrogate as ill-formed.
    Replaced,
    // Writing puts a lone surrogate as the three bytes its code point would take (as WTF-8
    // does) and reading accepts that form, so any code units survive a trip through UTF-8.
    ThreeBytes,
};

constexpr bool IsLeadSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsTrailSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Builds a UTF-16 text in blocks. Appending unit by unit, or filling a string first and
// writing over it, costs a comparison per unit; a block costs one per block.
class Utf16Builder {
public:
    static constexpr size_t kBlock = 256;

    explicit Utf16Builder(size_t expectedUnits) { text_.reserve(expectedUnits); }

    // Room for `units` (at most kBlock) more; Advance takes as many as were written there.
    char16_t* Room(size_t units) {
        if (used_ + units > kBlock) Flush();
        return block_.data() + used_;
    }
    void Advance(size_t units) { used_ += units; }

    std::u16string Take() && {
        Flush();
        return std::move(text_);
    }

private:
    void Flush() {
        text_.append(block_.data(), used_);
        used_ = 0;
    }

    std::array<char16_t, kBlock> block_;  // written before it is read
    size_t used_ = 0;
    std::u16string text_;
};

// A surrogate pair is written as the code point it stands for.
std::string Utf8FromUtf16(std::u16string_view text, SurrogateForm lone);

struct Utf16Decoding {
    std::u16string text;
    bool wellFormed = true;
};

// Each maximal ill-formed part (a stray byte, or a sequence cut short by a byte that cannot
// continue it or by the end) becomes one U+FFFD, and decoding resumes at the byte after it.
// Code points above U+FFFF become surrogate pairs.
Utf16Decoding Utf16FromUtf8Replacing(std::string_view bytes, SurrogateForm surrogates);

// Nothing when the bytes hold any ill-formed part.
std::optional<std::u16string> Utf16FromUtf8Strict(std::string_view bytes, SurrogateForm surrogates);

// ASCII text (digits, decimal numbers, times) as UTF-16, unit for unit.
inline std::u16string Utf16FromAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}
inline std::u16string DecimalUtf16(int64_t value) {
    return Utf16FromAscii(std::to_string(value));
}
// The shortest decimal that reads back to the same double ("8.5", "-0", "1e-05"; "inf",
// "-inf", "nan"), as the preview, the journal and the workbench write numbers.
std::string ShortestDecimal(double value);
// The same digits written at `out` (room for kMostDecimalChars), returning their end.
inline constexpr size_t kMostDecimalChars = 32;
char* WriteShortestDecimal(char* out, double value);

// Bytes that need not be UTF-8 (a POSIX file name) as UTF-16 and back, without loss: the
// UTF-8 sequences decode as usual, each other byte B becomes the lone trail surrogate
// U+DC00 + B (U+DC80..U+DCFF), which no UTF-8 decodes to. Writing gives those units their
// byte back and any other lone surrogate its three-byte form.
std::u16string Utf16FromBytesEscaping(std::string_view bytes);
std::string BytesFromUtf16Escaped(std::u16string_view text);

// Text in a legacy code page as UTF-16: the system's conversion (platform/LegacyCodePage.h)
// for readers that never call the system themselves.
using LegacyTextDecoder = std::function<std::u16string(std::span<const unsigned char> bytes)>;

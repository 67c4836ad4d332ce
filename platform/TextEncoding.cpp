#include "platform/TextEncoding.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

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

void WriteUtf16(Utf16Builder& out, char32_t cp) {
    char16_t* room = out.Room(2);
    if (cp < 0x10000) {
        room[0] = static_cast<char16_t>(cp);
        out.Advance(1);
        return;
    }
    cp -= 0x10000;
    room[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
    room[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    out.Advance(2);
}

// The length of the well-formed sequence a lead byte starts and the range its second byte
// must lie in (the narrow ranges exclude overlong forms, values above U+10FFFF and, unless
// their three-byte form is wanted, surrogates); length 0 for bytes that never start one.
struct Utf8Lead {
    size_t length;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
};

Utf8Lead LeadOf(unsigned char lead, SurrogateForm surrogates) {
    if (lead < 0x80) return {1};
    if (lead < 0xC2) return {0};
    if (lead < 0xE0) return {2};
    if (lead == 0xE0) return {3, 0xA0};
    if (lead == 0xED && surrogates == SurrogateForm::Replaced) return {3, 0x80, 0x9F};
    if (lead < 0xF0) return {3};
    if (lead == 0xF0) return {4, 0x90};
    if (lead < 0xF4) return {4};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {0};
}

struct Utf8Sequence {
    char32_t codePoint = 0;
    size_t length = 1;  // the bytes taken: the sequence, or its maximal ill-formed part
    bool wellFormed = false;
};

Utf8Sequence SequenceAt(std::string_view bytes, size_t at, SurrogateForm surrogates) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const Utf8Lead lead = LeadOf(first, surrogates);
    Utf8Sequence sequence{lead.length == 1 ? first : first & (0x7Fu >> lead.length)};
    for (; sequence.length < lead.length && at + sequence.length < bytes.size();
         ++sequence.length) {
        const auto next = static_cast<unsigned char>(bytes[at + sequence.length]);
        const unsigned char low = sequence.length == 1 ? lead.secondLow : 0x80;
        const unsigned char high = sequence.length == 1 ? lead.secondHigh : 0xBF;
        if (next < low || next > high) break;
        sequence.codePoint = (sequence.codePoint << 6) | (next & 0x3F);
    }
    sequence.wellFormed = lead.length != 0 && sequence.length == lead.length;
    return sequence;
}

// A byte that is not part of any UTF-8 sequence, carried as a trail surrogate of its own.
constexpr char32_t kEscapedByteBase = 0xDC00;

// The code point at `i`: a surrogate pair's (leaving `i` at its second unit), else the unit.
char32_t TakeCodePoint(std::u16string_view text, size_t& i) {
    const char32_t unit = text[i];
    if (IsLeadSurrogate(unit) && i + 1 < text.size() && IsTrailSurrogate(text[i + 1])) {
        return 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    return unit;
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view text, SurrogateForm lone) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = TakeCodePoint(text, i);
        if (lone == SurrogateForm::Replaced && (IsLeadSurrogate(cp) || IsTrailSurrogate(cp))) {
            cp = kReplacementCharacter;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

namespace {

// The low four bytes of a word, each widened to a 16-bit lane in the same order.
constexpr uint64_t WidenedLowBytes(uint64_t bytes) {
    return (bytes & 0xFF) | ((bytes & 0xFF00) << 8) | ((bytes & 0xFF0000) << 16) |
           ((bytes & 0xFF000000) << 24);
}

// Eight ASCII bytes as eight units. Where the first byte of a word is its low byte, they
// are widened in two words, written with one copy each: a store of each unit costs an
// alignment check of its own under UBSan.
void WriteAscii(uint64_t eight, const char* bytes, char16_t* room) {
    if constexpr (std::endian::native == std::endian::little) {
        const uint64_t first = WidenedLowBytes(eight);
        const uint64_t second = WidenedLowBytes(eight >> 32);
        std::memcpy(room, &first, sizeof first);
        std::memcpy(room + 4, &second, sizeof second);
    } else {
        for (size_t k = 0; k < 8; ++k) room[k] = static_cast<unsigned char>(bytes[k]);
    }
}

// Copies a run of ASCII bytes from `from` on, eight at a time where it can; returns where
// the run ends.
size_t CopyAscii(std::string_view bytes, size_t from, Utf16Builder& out) {
    constexpr uint64_t kHighBits = 0x8080808080808080;
    for (uint64_t eight = 0; from + 8 <= bytes.size(); from += 8) {
        std::memcpy(&eight, bytes.data() + from, sizeof eight);
        if ((eight & kHighBits) != 0) break;
        WriteAscii(eight, bytes.data() + from, out.Room(8));
        out.Advance(8);
    }
    for (; from < bytes.size() && static_cast<unsigned char>(bytes[from]) < 0x80; ++from) {
        *out.Room(1) = static_cast<unsigned char>(bytes[from]);
        out.Advance(1);
    }
    return from;
}

enum class IllFormed { Replace, Stop };

// Stops at the first ill-formed part when told to, with wellFormed false and the text so far.
Utf16Decoding Utf16FromUtf8(std::string_view bytes, SurrogateForm surrogates, IllFormed illFormed) {
    Utf16Builder text(bytes.size());
    bool wellFormed = true;
    size_t i = 0;
    while (i < bytes.size()) {
        i = CopyAscii(bytes, i, text);
        if (i == bytes.size()) break;
        const Utf8Sequence sequence = SequenceAt(bytes, i, surrogates);
        if (!sequence.wellFormed) {
            wellFormed = false;
            if (illFormed == IllFormed::Stop) break;
        }
        WriteUtf16(text, sequence.wellFormed ? sequence.codePoint : kReplacementCharacter);
        i += sequence.length;
    }
    return {std::move(text).Take(), wellFormed};
}

}  // namespace

Utf16Decoding Utf16FromUtf8Replacing(std::string_view bytes, SurrogateForm surrogates) {
    return Utf16FromUtf8(bytes, surrogates, IllFormed::Replace);
}

std::u16string Utf16FromBytesEscaping(std::string_view bytes) {
    Utf16Builder text(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const Utf8Sequence sequence = SequenceAt(bytes, i, SurrogateForm::Replaced);
        if (sequence.wellFormed) {
            WriteUtf16(text, sequence.codePoint);
            i += sequence.length;
        } else {
            WriteUtf16(text, kEscapedByteBase + static_cast<unsigned char>(bytes[i]));
            ++i;
        }
    }
    return std::move(text).Take();
}

std::string BytesFromUtf16Escaped(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = TakeCodePoint(text, i);
        if (cp >= kEscapedByteBase + 0x80 && cp <= kEscapedByteBase + 0xFF) {
            out.push_back(static_cast<char>(cp - kEscapedByteBase));
            continue;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::optional<std::u16string> Utf16FromUtf8Strict(std::string_view bytes,
                                                  SurrogateForm surrogates) {
    Utf16Decoding decoded = Utf16FromUtf8(bytes, surrogates, IllFormed::Stop);
    if (!decoded.wellFormed) return std::nullopt;
    return std::move(decoded.text);
}

// Diameters are mostly a few digits with up to four decimals ("8.5", "12.25"). Such a value is
// the double nearest k / 10^4, and then its shortest form is those digits: any other decimal
// of no more digits lies at least 10^-4 away, far beyond half a unit in the last place. From
// 0.001 to below 100000 the fixed form is never longer than the scientific one, which is the
// form the general conversion would choose. Writing them directly spares that conversion,
// which is the costliest part of a journal row.
char* WriteShortestDecimal(char* out, double value) {
    constexpr double kScale = 10000.0;
    if (value >= 0.001 && value < 100000.0) {
        const auto scaled = static_cast<uint64_t>(value * kScale + 0.5);
        if (static_cast<double>(scaled) / kScale == value) {
            const uint64_t whole = scaled / 10000;
            uint64_t fraction = scaled % 10000;
            out = std::to_chars(out, out + kMostDecimalChars, whole).ptr;
            if (fraction != 0) {
                *out++ = '.';
                for (uint64_t unit = 1000; fraction != 0; unit /= 10) {
                    *out++ = static_cast<char>('0' + fraction / unit);
                    fraction %= unit;
                }
            }
            return out;
        }
    }
    return std::to_chars(out, out + kMostDecimalChars, value).ptr;
}

std::string ShortestDecimal(double value) {
    char buffer[kMostDecimalChars];
    return std::string(buffer, WriteShortestDecimal(buffer, value));
}

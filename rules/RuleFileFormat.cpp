#include "rules/RuleFileFormat.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/TextEncoding.h"
#include "rules/RuleFields.h"
#include "rules/RuleLines.h"
#include "rules/Utf16Words.h"

namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
// The rule file's UTF-8 is read as Unicode defines it: surrogates in three-byte form are
// ill-formed.
constexpr SurrogateForm kSurrogates = SurrogateForm::Replaced;

constexpr unsigned char kUtf16LeMark[] = {0xFF, 0xFE};
constexpr unsigned char kUtf16BeMark[] = {0xFE, 0xFF};
constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

bool StartsWith(std::span<const unsigned char> bytes, std::span<const unsigned char> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

enum class ByteOrder { LittleEndian, BigEndian };

// Pairs of bytes as code units; an odd last byte is dropped. The units are copied as they
// are when the file's byte order is the machine's, as it is for every file the module writes.
std::u16string DecodeUtf16(std::span<const unsigned char> bytes, ByteOrder order) {
    const ByteOrder native =
        std::endian::native == std::endian::little ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
    Utf16Builder text(bytes.size() / 2);
    for (size_t left = bytes.size() / 2; left > 0;) {
        const size_t units = std::min(left, Utf16Builder::kBlock);
        char16_t* room = text.Room(units);
        std::memcpy(room, bytes.data(), units * sizeof(char16_t));
        if (order != native) utf16_words::SwapBytes(room, units);
        text.Advance(units);
        bytes = bytes.subspan(units * sizeof(char16_t));
        left -= units;
    }
    return std::move(text).Take();
}

std::string_view AsChars(std::span<const unsigned char> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// UTF-16LE of the characters a rule file holds (digits, points, TABs, line ends) has a NUL
// in every high byte, at the odd offsets; Hangul in UTF-16LE has none there. A UTF-8 or
// code-page file has a NUL at most by accident, such as one stray NUL at its end.
// UTF-16BE has them at the even offsets.
bool NulsStandAt(std::span<const unsigned char> bytes, ByteOrder order) {
    const size_t first = order == ByteOrder::LittleEndian ? 1 : 0;
    const size_t offsets = (bytes.size() + 1 - first) / 2;
    size_t nuls = 0;
    for (size_t i = first; i < bytes.size(); i += 2) nuls += bytes[i] == 0 ? 1 : 0;
    return nuls > 0 && nuls * 4 >= offsets;
}

std::span<const unsigned char> WithoutFinalNuls(std::span<const unsigned char> bytes) {
    size_t size = bytes.size();
    while (size > 0 && bytes[size - 1] == 0) --size;
    return bytes.first(size);
}

// Used only where the machine's byte order is not the file's.
[[maybe_unused]] bool IsSeparator(char16_t c) {
    return c == kTab || c == kLf || c == kCr;
}

// Writes UTF-16LE code units into bytes sized for them beforehand.
class Utf16LeWriter {
public:
    explicit Utf16LeWriter(char* out) : out_(out) {}
    void Unit(char16_t unit) {
        *out_++ = static_cast<char>(unit & 0xFF);
        *out_++ = static_cast<char>(unit >> 8);
    }
    // Separators inside a field would split or join lines on the next read. Where the
    // machine's order is the file's, the field is copied whole and its few separators
    // written over.
    void Field(std::u16string_view field) {
        if constexpr (std::endian::native == std::endian::little) {
            const char16_t* const units = field.data();
            const size_t size = field.size();
            std::memcpy(out_, units, size * sizeof(char16_t));
            for (size_t word = 0; word < size; word += utf16_words::kUnitsPerWord) {
                for (uint64_t separators = utf16_words::SeparatorsOfWord(units, word, size);
                     separators != 0; separators &= separators - 1) {
                    const size_t k = word + utf16_words::FirstUnitOf(separators);
                    out_[2 * k] = ' ';
                    out_[2 * k + 1] = '\0';
                }
            }
            out_ += size * sizeof(char16_t);
        } else {
            for (const char16_t c : field) Unit(IsSeparator(c) ? u' ' : c);
        }
    }

private:
    char* out_;
};

}  // namespace

void LineNumbers::Add(int32_t line) {
    ++count;
    if (first.size() < kKept) first.push_back(line);
}

RuleFileText DecodeRuleFileText(std::span<const unsigned char> bytes,
                                const LegacyTextDecoder& legacy) {
    using enum RuleFileEncoding;
    if (StartsWith(bytes, kUtf16LeMark)) {
        return {Utf16LeWithMark, DecodeUtf16(bytes.subspan(2), ByteOrder::LittleEndian)};
    }
    if (StartsWith(bytes, kUtf16BeMark)) {
        return {Utf16BeWithMark, DecodeUtf16(bytes.subspan(2), ByteOrder::BigEndian)};
    }
    if (StartsWith(bytes, kUtf8Mark)) {
        return {Utf8WithMark, Utf16FromUtf8Replacing(AsChars(bytes.subspan(3)), kSurrogates).text};
    }
    if (NulsStandAt(bytes, ByteOrder::LittleEndian)) {
        return {Utf16LeWithoutMark, DecodeUtf16(bytes, ByteOrder::LittleEndian)};
    }
    // UTF-16BE text ends in a low byte, a line end's, never in a NUL: NUL bytes at the end
    // are a UTF-8 file's stray ones and no sign of UTF-16BE.
    const std::span<const unsigned char> text = WithoutFinalNuls(bytes);
    if (NulsStandAt(text, ByteOrder::BigEndian)) {
        return {Utf16BeWithoutMark, DecodeUtf16(bytes, ByteOrder::BigEndian)};
    }
    if (std::optional<std::u16string> utf8 = Utf16FromUtf8Strict(AsChars(text), kSurrogates)) {
        return {Utf8, std::move(*utf8)};
    }
    return {LegacyCodePage, legacy(text)};
}

std::optional<std::u16string_view> ExtractField(std::u16string_view line, int k) {
    if (k < 0) return std::nullopt;
    size_t start = 0;
    for (int field = 0; field < k; ++field) {
        const size_t tab = line.find(kTab, start);
        if (tab == std::u16string_view::npos) return std::nullopt;
        start = tab + 1;
    }
    const size_t end = std::min(line.find(kTab, start), line.size());
    return line.substr(start, end - start);
}

RuleFileReadResult DecodeRuleFile(std::span<const unsigned char> bytes, RuleTable& table,
                                  const LegacyTextDecoder& legacy) {
    return ReadRuleFileText(DecodeRuleFileText(bytes, legacy), table);
}

RuleFileReadResult ReadRuleFileText(const RuleFileText& decoded, RuleTable& table) {
    RuleFileReadResult result;
    result.encoding = decoded.encoding;
    RuleLineReader reader(decoded.text, table);
    for (RuleLine line; reader.Next(line);) {
        switch (line.kind) {
            case RuleLineKind::Beyond49:
                ++result.ignoredLines;
                [[fallthrough]];
            case RuleLineKind::Rule:
                ++result.acceptedLines;
                break;
            case RuleLineKind::RuleNotInForce:
                ++result.acceptedLines;
                result.rulesNotInForce.Add(line.number);
                break;
            case RuleLineKind::OtherFieldCount:
                result.skippedLines.Add(line.number);
                break;
            case RuleLineKind::Blank:
            case RuleLineKind::Comment:
                break;
        }
    }
    return result;
}

std::string EncodeRuleFile(const RuleTable& table) {
    // A flag, five TABs and CR LF per line besides the texts.
    size_t units = 1;
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& rule = table.rule(n);
        units += 8;
        for (const RuleFieldInfo& field : RuleTextFields()) units += (rule.*field.text).size();
    }
    std::string bytes(units * 2, '\0');
    Utf16LeWriter out(bytes.data());
    out.Unit(u'\xFEFF');
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& rule = table.rule(n);
        out.Unit(rule.enabled != 0 ? u'1' : u'0');
        for (const RuleFieldInfo& field : RuleTextFields()) {
            out.Unit(kTab);
            out.Field(rule.*field.text);
        }
        out.Unit(kCr);
        out.Unit(kLf);
    }
    return bytes;
}

#include "rules/RuleFileFormat.h"

#include <algorithm>
#include <array>

#include "platform/TextEncoding.h"
#include "rules/CompiledRules.h"
#include "rules/RuleFields.h"
#include "rules/RuleText.h"

namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
constexpr int kFieldsPerLine = static_cast<int>(kRuleFieldCount);
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

// Pairs of bytes as code units; an odd last byte is dropped.
std::u16string DecodeUtf16(std::span<const unsigned char> bytes, ByteOrder order) {
    const int lowByte = order == ByteOrder::LittleEndian ? 0 : 1;
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(bytes[i + lowByte] | (bytes[i + 1 - lowByte] << 8)));
    }
    return text;
}

std::string_view AsChars(std::span<const unsigned char> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// UTF-16LE of the characters a rule file holds (digits, points, TABs, line ends) has a NUL
// in every high byte, at the odd offsets; Hangul in UTF-16LE has none there. A UTF-8 or
// code-page file has a NUL at most by accident, such as one stray NUL at its end.
bool LooksLikeUtf16Le(std::span<const unsigned char> bytes) {
    const size_t oddBytes = bytes.size() / 2;
    size_t oddNuls = 0;
    for (size_t i = 1; i < bytes.size(); i += 2) {
        if (bytes[i] == 0) ++oddNuls;
    }
    return oddNuls > 0 && oddNuls * 4 >= oddBytes;
}

std::span<const unsigned char> WithoutFinalNuls(std::span<const unsigned char> bytes) {
    size_t size = bytes.size();
    while (size > 0 && bytes[size - 1] == 0) --size;
    return bytes.first(size);
}

bool HasTab(std::u16string_view line) {
    return line.find(kTab) != std::u16string_view::npos;
}

// The last field loses every CR, LF and space.
RuleText CleanDiameterModify(std::u16string_view field) {
    RuleText cleaned;
    cleaned.reserve(field.size());
    for (char16_t c : field) {
        if (c != kCr && c != kLf && c != u' ') cleaned.push_back(c);
    }
    return cleaned;
}

using LineFields = std::array<std::u16string_view, kRuleFieldCount>;

// The fields of a line of exactly six fields; nothing for any other line.
std::optional<LineFields> SplitRuleLine(std::u16string_view line) {
    LineFields fields;
    for (const RuleFieldInfo& field : kRuleFields) {
        const auto text = ExtractField(line, static_cast<int>(field.position()));
        if (!text) return std::nullopt;
        fields[field.position()] = *text;
    }
    if (ExtractField(line, kFieldsPerLine)) return std::nullopt;
    return fields;
}

enum class FieldReading { Cleaned, AsWritten };

HoleRule RuleFromFields(const LineFields& fields, FieldReading reading) {
    HoleRule rule;
    for (const RuleFieldInfo& field : kRuleFields) {
        const std::u16string_view text = fields[field.position()];
        if (field.kind == RuleFieldKind::Flag) {
            SetFieldText(rule, field, ParseCode(text) == 1 ? u"1" : u"0");
        } else if (field.field == RuleField::DiameterModify && reading == FieldReading::Cleaned) {
            SetFieldText(rule, field, CleanDiameterModify(text));
        } else {
            SetFieldText(rule, field, text);
        }
    }
    return rule;
}

void AppendUnit(std::string& bytes, char16_t unit) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
}

// Separators inside a field would split or join lines on the next read.
void AppendField(std::string& bytes, std::u16string_view field) {
    for (char16_t c : field) AppendUnit(bytes, (c == kTab || c == kCr || c == kLf) ? u' ' : c);
}

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
    if (LooksLikeUtf16Le(bytes)) {
        return {Utf16LeWithoutMark, DecodeUtf16(bytes, ByteOrder::LittleEndian)};
    }
    const std::span<const unsigned char> text = WithoutFinalNuls(bytes);
    Utf16Decoding utf8 = Utf16FromUtf8Replacing(AsChars(text), kSurrogates);
    if (utf8.wellFormed) return {Utf8, std::move(utf8.text)};
    return {LegacyCodePage, legacy(text)};
}

std::vector<std::u16string_view> SplitRuleFileLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find_first_of(u"\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (end + 1 < text.size() && text[end] == kCr && text[end + 1] == kLf) ++start;
    }
    return lines;
}

std::optional<HoleRule> RuleFromLine(std::u16string_view line) {
    const std::optional<LineFields> fields = SplitRuleLine(line);
    if (!fields) return std::nullopt;
    return RuleFromFields(*fields, FieldReading::Cleaned);
}

std::vector<RuleFileLine> ReadRuleFileLines(std::u16string_view text) {
    std::vector<RuleFileLine> lines;
    int32_t number = 0;
    for (const std::u16string_view line : SplitRuleFileLines(text)) {
        RuleFileLine& read = lines.emplace_back(RuleFileLine{++number, line, {}, {}});
        if (const std::optional<LineFields> fields = SplitRuleLine(line)) {
            read.rule = RuleFromFields(*fields, FieldReading::Cleaned);
            read.asWritten = RuleFromFields(*fields, FieldReading::AsWritten);
        }
    }
    return lines;
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
    table.Clear();
    const RuleFileText decoded = DecodeRuleFileText(bytes, legacy);
    RuleFileReadResult result;
    result.encoding = decoded.encoding;
    for (const RuleFileLine& line : ReadRuleFileLines(decoded.text)) {
        if (!line.rule) {
            if (HasTab(line.text)) result.skippedLines.Add(line.number);
            continue;
        }
        ++result.acceptedLines;
        if (!table.Append(*line.rule)) {
            ++result.ignoredLines;
        } else if (line.rule->enabled != 0 && !IsInForce(*line.rule)) {
            result.rulesNotInForce.Add(line.number);
        }
    }
    return result;
}

std::string EncodeRuleFile(const RuleTable& table) {
    std::string bytes = "\xFF\xFE";
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& rule = table.rule(n);
        for (const RuleFieldInfo& field : kRuleFields) {
            if (field.position() > 0) AppendUnit(bytes, kTab);
            AppendField(bytes, FieldText(rule, field));
        }
        AppendUnit(bytes, kCr);
        AppendUnit(bytes, kLf);
    }
    return bytes;
}

#include "rules/RuleFileFormat.h"

#include <algorithm>

#include "rules/RuleText.h"

namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
constexpr int kFieldsPerLine = 6;

// Code units of the file after an optional byte-order mark; an odd last byte is dropped.
std::u16string DecodeUtf16Le(std::span<const unsigned char> bytes) {
    size_t start = 0;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) start = 2;
    std::u16string text;
    text.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return text;
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

std::optional<HoleRule> RuleFromLine(std::u16string_view line) {
    std::u16string_view fields[kFieldsPerLine];
    for (int k = 0; k < kFieldsPerLine; ++k) {
        auto field = ExtractField(line, k);
        if (!field) return std::nullopt;
        fields[k] = *field;
    }
    if (ExtractField(line, kFieldsPerLine)) return std::nullopt;
    HoleRule rule;
    rule.isDisplay = ParseCode(fields[0]) == 1 ? 1 : 0;
    rule.CodeFrom = RuleText(fields[1]);
    rule.CodeTo = RuleText(fields[2]);
    rule.DiameterFrom = RuleText(fields[3]);
    rule.DiameterTo = RuleText(fields[4]);
    rule.DiameterModify = CleanDiameterModify(fields[5]);
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

RuleFileReadResult DecodeRuleFile(std::span<const unsigned char> bytes, RuleTable& table) {
    table.Clear();
    RuleFileReadResult result;
    const std::u16string text = DecodeUtf16Le(bytes);
    const std::u16string_view all(text);
    size_t start = 0;
    while (start < all.size()) {
        const size_t lf = all.find(kLf, start);
        const size_t end = lf == std::u16string_view::npos ? all.size() : lf;
        if (auto rule = RuleFromLine(all.substr(start, end - start))) {
            ++result.acceptedLines;
            if (!table.Append(*rule)) ++result.ignoredLines;
        }
        if (lf == std::u16string_view::npos) break;
        start = lf + 1;
    }
    return result;
}

std::string EncodeRuleFile(const RuleTable& table) {
    std::string bytes = "\xFF\xFE";
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& rule = table.rule(n);
        AppendUnit(bytes, rule.isDisplay != 0 ? u'1' : u'0');
        for (const RuleText* field : {&rule.CodeFrom, &rule.CodeTo, &rule.DiameterFrom,
                                      &rule.DiameterTo, &rule.DiameterModify}) {
            AppendUnit(bytes, kTab);
            AppendField(bytes, *field);
        }
        AppendUnit(bytes, kCr);
        AppendUnit(bytes, kLf);
    }
    return bytes;
}

#include "workbench/RuleFileLines.h"

#include <algorithm>
#include <string>

namespace {

// What becomes of a line the table does not carry: the save writes the table alone and keeps
// the file it replaces, with this line, as a kept copy.
constexpr std::string_view kNotApplied =
    " 모듈은 이 줄을 적용하지 않고, 다음 저장 때 이 줄은 규칙 파일에서 빠져 보관 사본 "
    "Quillet.def.<날짜-시각>.bak에만 남습니다.";

Finding FileLineFinding(const FileLine& line) {
    if (line.kind == RuleLineKind::Beyond49) {
        return {"beyond-49", Severity::Error, line.line, 0,
                "규칙이 " + std::to_string(RuleTable::kCapacity) + "개를 넘는 규칙 줄입니다." +
                    std::string(kNotApplied)};
    }
    return {"skipped-line", Severity::Error, line.line, 0,
            "필드가 " + std::to_string(line.fields) +
                "개라 규칙 줄(TAB으로 나눈 필드 6개)이 아닙니다." + std::string(kNotApplied)};
}

}  // namespace

RuleFileView ViewRuleFile(std::span<const unsigned char> bytes, const LegacyTextDecoder& legacy,
                          uint32_t codePage) {
    const RuleFileText decoded = DecodeRuleFileText(bytes, legacy);
    RuleFileView view{decoded.encoding, codePage, {}, {}, {}};
    RuleLineReader reader(decoded.text, view.table);
    for (RuleLine line; reader.Next(line);) {
        view.lines.push_back({line.number, line.kind, line.rule, line.fields, line.fault});
        if (line.rule == 0) continue;
        HoleRule written = view.table.rule(line.rule);
        written.DiameterModify = line.lastField;
        view.asWritten.Append(written);
    }
    return view;
}

std::vector<Finding> CheckRuleFile(const RuleFileView& file) {
    std::vector<Finding> findings;
    if (file.encoding == RuleFileEncoding::LegacyCodePage) {
        findings.push_back({"legacy-code-page", Severity::Info, 0, 0,
                            "파일에 바이트 순서 표시가 없고 UTF-16도 UTF-8도 아니라 코드 페이지 " +
                                std::to_string(file.codePage) +
                                "(으)로 읽었습니다. 모듈은 Windows의 ANSI 코드 페이지(한국어 "
                                "Windows에서 949)로 읽고, 처음 저장할 때 UTF-16LE(BOM)로 "
                                "바꿉니다."});
    } else if (file.encoding != RuleFileEncoding::Utf16LeWithMark) {
        findings.push_back({"not-utf16", Severity::Info, 0, 0,
                            "파일이 " + std::string(EncodingName(file.encoding)) +
                                "입니다. 모듈은 읽을 수 있고, 처음 저장할 때 UTF-16LE(BOM)로 "
                                "바꿉니다."});
    }
    std::vector<int> lineOfRule(static_cast<size_t>(file.table.count()) + 1, 0);
    for (const FileLine& line : file.lines) {
        if (line.rule > 0) lineOfRule[static_cast<size_t>(line.rule)] = line.line;
        if (line.kind == RuleLineKind::OtherFieldCount || line.kind == RuleLineKind::Beyond49) {
            findings.push_back(FileLineFinding(line));
        }
    }
    for (Finding finding : CheckRules(file.table)) {
        if (finding.rule > 0) finding.line = lineOfRule[static_cast<size_t>(finding.rule)];
        findings.push_back(std::move(finding));
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return findings;
}

std::vector<int> LinesDroppedBySave(const RuleFileView& file) {
    std::vector<int> lines;
    for (const FileLine& line : file.lines) {
        if (IsDroppedBySave(line.kind)) lines.push_back(line.line);
    }
    return lines;
}

std::string_view EncodingName(RuleFileEncoding encoding) {
    switch (encoding) {
        case RuleFileEncoding::Utf16LeWithMark:
            return "utf-16le-bom";
        case RuleFileEncoding::Utf16BeWithMark:
            return "utf-16be-bom";
        case RuleFileEncoding::Utf8WithMark:
            return "utf-8-bom";
        case RuleFileEncoding::Utf8:
            return "utf-8";
        case RuleFileEncoding::Utf16LeWithoutMark:
            return "utf-16le";
        case RuleFileEncoding::Utf16BeWithoutMark:
            return "utf-16be";
        case RuleFileEncoding::LegacyCodePage:
            return "legacy-code-page";
    }
    return "unknown";
}

std::string_view LineKindName(RuleLineKind kind) {
    switch (kind) {
        case RuleLineKind::Rule:
        case RuleLineKind::RuleNotInForce:
            return "rule";
        case RuleLineKind::Blank:
            return "blank";
        case RuleLineKind::Comment:
            return "comment";
        case RuleLineKind::OtherFieldCount:
            return "skipped";
        case RuleLineKind::Beyond49:
            return "beyond-49";
    }
    return "unknown";
}

std::string_view SeverityName(Severity severity) {
    switch (severity) {
        case Severity::Info:
            return "info";
        case Severity::Warning:
            return "warning";
        case Severity::Error:
            return "error";
    }
    return "unknown";
}

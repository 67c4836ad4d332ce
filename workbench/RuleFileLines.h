// A rule file as the module reads it, line by line, and the findings about the file that
// the rules alone cannot show.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "rules/RuleFileFormat.h"
#include "workbench/RuleAnalysis.h"

enum class LineKind { Rule, Blank, Skipped, Beyond49 };

struct FileLine {
    int line;  // 1-based
    LineKind kind;
    int rule = 0;    // for LineKind::Rule
    int fields = 0;  // TAB-separated fields of the line
};

struct RuleFileView {
    RuleFileEncoding encoding;
    uint32_t codePage = 0;  // the legacy code page a LegacyCodePage file was read with
    RuleTable table;        // the same table DecodeRuleFile fills
    // The same rules with their texts as the file holds them: the new diameter keeps the
    // blanks that the module drops when it reads it (CR and LF are left out).
    RuleTable asWritten;
    std::vector<FileLine> lines;
};

// A file without a mark that is neither UTF-16 nor UTF-8 is read with `legacy`, the decoder
// of code page `codePage` (rules/LegacyCodePage.h).
RuleFileView ViewRuleFile(std::span<const unsigned char> bytes, const LegacyTextDecoder& legacy,
                          uint32_t codePage);

// skipped-line, beyond-49 and not-utf16 or legacy-code-page, then CheckRules with the rules'
// lines filled in; the file's encoding first, the others by line.
std::vector<Finding> CheckRuleFile(const RuleFileView& file);

std::string_view EncodingName(RuleFileEncoding encoding);  // "utf-16le-bom", ...
std::string_view LineKindName(LineKind kind);              // "rule", "blank", ...
std::string_view SeverityName(Severity severity);          // "error", "warning", "info"

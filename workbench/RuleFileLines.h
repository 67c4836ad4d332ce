// A rule file as the module reads it, line by line, and the findings about the file that
// the rules alone cannot show.
#pragma once

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
    RuleTable table;  // the same table DecodeRuleFile fills
    // The same rules with their texts as the file holds them: the new diameter keeps the
    // blanks that the module drops when it reads it (CR and LF are left out).
    RuleTable asWritten;
    std::vector<FileLine> lines;
};

RuleFileView ViewRuleFile(std::span<const unsigned char> bytes);

// skipped-line, beyond-49 and not-utf16, then CheckRules with the rules' lines filled in;
// not-utf16 first, the others by line.
std::vector<Finding> CheckRuleFile(const RuleFileView& file);

std::string_view EncodingName(RuleFileEncoding encoding);  // "utf-16le-bom", ...
std::string_view LineKindName(LineKind kind);              // "rule", "blank", ...
std::string_view SeverityName(Severity severity);          // "error", "warning", "info"

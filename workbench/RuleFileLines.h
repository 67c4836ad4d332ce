// A rule file as the module reads it, line by line, and the findings about the file that
// the rules alone cannot show.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "rules/RuleFileFormat.h"
#include "rules/RuleLines.h"
#include "workbench/RuleAnalysis.h"

// A line as the module's reader gives it (rules/RuleLines.h), without its text.
struct FileLine {
    int line;  // 1-based
    RuleLineKind kind;
    int rule = 0;                                     // for the rules of the table
    int fields = 0;                                   // TAB-separated fields of the line
    NewDiameterFault fault = NewDiameterFault::None;  // for RuleLineKind::RuleNotInForce
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
// of code page `codePage` (platform/LegacyCodePage.h).
RuleFileView ViewRuleFile(std::span<const unsigned char> bytes, const LegacyTextDecoder& legacy,
                          uint32_t codePage);

// skipped-line (lines of another field count), beyond-49 and not-utf16 or legacy-code-page,
// then CheckRules with the rules' lines filled in; the file's encoding first, the others by
// line. Comments and blank lines are no finding.
std::vector<Finding> CheckRuleFile(const RuleFileView& file);

// The lines a save leaves out of the rule file, and an export out of the CSV.
std::vector<int> LinesDroppedBySave(const RuleFileView& file);

std::string_view EncodingName(RuleFileEncoding encoding);  // "utf-16le-bom", ...
// "rule" (also for a rule not in force), "blank", "comment", "skipped", "beyond-49".
std::string_view LineKindName(RuleLineKind kind);
std::string_view SeverityName(Severity severity);  // "error", "warning", "info"

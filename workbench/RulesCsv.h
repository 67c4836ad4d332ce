// A rule table as UTF-8 CSV (RFC 4180): a header, then one row per rule with the flag (0 or 1)
// and the five texts exactly as stored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/SpreadsheetCsv.h"
#include "rules/RuleTable.h"

inline constexpr std::string_view kRulesCsvHeader =
    "enabled,code_from,code_to,diameter_from,diameter_to,diameter_modify";

// The UTF-8 byte-order mark: a CSV file that starts with it opens in a spreadsheet as UTF-8
// rather than in the system's legacy code page.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Records end in CR LF; a field is quoted when it holds a comma, a quote, a line break or
// blanks at either end. A text that a spreadsheet would take for a formula (it starts with
// = + - @ TAB or CR and is not a plain number) is written behind an apostrophe, as is a text
// whose leading apostrophes come before such a start; RulesFromCsv takes that one off.
std::string RulesToCsv(const RuleTable& table);

// A text as RulesToCsv writes it (behind an apostrophe when needed), and back:
// SpreadsheetSafe and FromSpreadsheetSafe (platform/SpreadsheetCsv.h).

struct CsvProblem {
    int line;             // 1-based line of the CSV where the record starts
    std::string message;  // Korean, UTF-8
};

struct CsvRules {
    RuleTable table;
    std::vector<int> lines;            // the CSV line of each rule, rule 1 first
    std::vector<CsvProblem> problems;  // the table is only meant to be used when empty
    char separator = ',';              // ';' for a file whose header is separated so
};

// Reads the header and the rows, each row's texts exactly as given (but for the apostrophe
// above); an optional UTF-8 byte-order mark, CR LF or LF line ends, empty lines and rows of
// empty cells are accepted, and fields separated by semicolons when the header is. A text
// must not hold a TAB, CR or LF, which the rule file could not keep.
CsvRules RulesFromCsv(std::string_view csv);

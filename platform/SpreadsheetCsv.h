// CSV fields as a spreadsheet opens them safely: the journal and the workbench's rules CSV
// write and read their fields through these.
//
// A spreadsheet reads a cell that starts with = + - @ TAB or CR as a formula. Such a text,
// unless it is a plain number, is written behind an apostrophe, which spreadsheets take as
// "show as text". To keep that reversible, a text whose leading apostrophes are followed by
// such a start gets one more apostrophe too; reading takes exactly one off again.
#pragma once

#include <string>
#include <string_view>

// "12", "-0.5", "+1e-5": a number as a spreadsheet reads one.
bool IsPlainNumber(std::string_view text);
std::string SpreadsheetSafe(std::string text);
std::string FromSpreadsheetSafe(std::string text);

// Appends the field, quoted (its quotes doubled) when it holds a comma, a quote, CR or LF, or
// blanks at either end; as it is otherwise.
void AppendCsvField(std::string& csv, std::string_view field);

// What the user is told once when the rule file has been read and not all of it is applied:
// the rules beyond the full table, the lines that hold a TAB but gave no rule, and the rules
// not in force. Composed without a window, so that the wording is tested natively; the
// module shows it in a message box of its own.
#pragma once

#include <string>
#include <string_view>

#include "rules/RuleFileFormat.h"

// One message for all that holds, or an empty text when every line with a TAB is applied
// (lines without a TAB, such as comments and blank lines, are never told). `path` is the
// rule file's; `backupName` names the file in which a save keeps the whole file as it is now.
std::u16string RuleFileLoadNotice(std::u16string_view path, const RuleFileReadResult& lines,
                                  std::u16string_view backupName);

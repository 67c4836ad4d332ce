// What the user is told about reading and writing the rule file, in the module's own
// message boxes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "rules/RuleStore.h"

// The file error, or one message for the lines read but not applied (rules beyond the full
// table, lines with a TAB that gave no rule, rules not in force) and where a save keeps
// them; nothing when every line with a TAB was applied.
void ReportRuleFileLoad(const RuleFileLoad& load);

// The file error of a save that failed, naming the file the failed step was about; nothing
// after a save that succeeded.
void ReportRuleFileSave(const FileSave& save);

// Asks whether the rule file, changed elsewhere since it was read (at `changed`, when known),
// is to be replaced by the table; true for yes.
bool AskToReplaceChangedRuleFile(const FilePath& path, const std::optional<SYSTEMTIME>& changed);

// Tells that the rule folder cannot be reached and the table comes from this user's own copy
// of its rule file, read from the folder at `copied` (when known).
void ReportLocalCopyInUse(const std::u16string& folder, const std::optional<SYSTEMTIME>& copied);

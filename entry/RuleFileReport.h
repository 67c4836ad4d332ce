// What the user is told about reading and writing the rule file, in the module's own
// message boxes.
#pragma once

#include "rules/RuleFile.h"

// The file error, or one message for the lines read but not applied (rules beyond the full
// table, lines with a TAB that gave no rule, rules not in force) and where a save keeps
// them; nothing when every line with a TAB was applied.
void ReportRuleFileLoad(const RuleFileLoadResult& load);

// The file error of a save that failed; nothing after a save that succeeded.
void ReportRuleFileSave(const RuleFileSaveResult& save);

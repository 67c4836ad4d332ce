// What the user is told about reading and writing the rule file, in the module's own
// message boxes.
#pragma once

#include "rules/RuleFile.h"

// The file error, or the rules beyond the full table and where a save keeps them; nothing
// when the whole file was read.
void ReportRuleFileLoad(const RuleFileLoadResult& load);

// The file error of a save that failed; nothing after a save that succeeded.
void ReportRuleFileSave(const RuleFileSaveResult& save);

// What the user is told about reading and writing the rule file, in the module's own
// message boxes.
#pragma once

#include "rules/RuleStore.h"

// The file error, or the rules beyond the full table and where a save keeps them; nothing
// when the whole file was read.
void ReportRuleFileLoad(const RuleFileLoad& load);

// The file error of a save that failed, naming the file the failed step was about; nothing
// after a save that succeeded.
void ReportRuleFileSave(const FileSave& save);

// What the user is told about reading and writing the rule file, in the module's own
// message boxes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "rules/ReplacedRules.h"
#include "rules/RuleFolder.h"
#include "rules/RuleStore.h"

// The file error, or one message for the lines read but not applied (rules beyond the full
// table, lines with a TAB that gave no rule, rules not in force) and where a save keeps
// them; nothing when every line with a TAB was applied.
void ReportRuleFileLoad(const RuleFileLoad& load);

// The file error of a save that failed, naming the file the failed step was about; nothing
// after a save that succeeded.
void ReportRuleFileSave(const FileSave& save);

// Asks whether the rule file, changed elsewhere since it was read (at `changed`, when known)
// or not readable when the command started, is to be replaced by the table; true for yes.
bool AskToReplaceChangedRuleFile(const FilePath& path, const std::optional<SYSTEMTIME>& changed,
                                 bool unreadableAtStart);

// This user's copy of a rule folder's latest known table: when it was written, and whether
// it is the file last read from the folder or this seat's own last save to it.
struct CopyInUse {
    CopyOrigin origin = CopyOrigin::Read;
    std::optional<SYSTEMTIME> time;
};

// Tells that the rule folder cannot be reached and the table comes from this user's copy.
void ReportLocalCopyInUse(const std::u16string& folder, const CopyInUse& copy);

// Tells that the rule folder holds no rule file: no rules apply yet, and how to start one,
// or, when the module's folder still holds this seat's table (`besideModule`), both files and
// the command that puts that table into the rule folder.
void ReportNoRuleFileInFolder(const RuleLocation& location,
                              const std::optional<FilePath>& besideModule);

// Tells that the RuleFolder setting cannot be used, naming the value and why, and where the
// rules come from instead: the copy, or none.
void ReportUnusableRuleFolder(const RuleLocation& location, const std::optional<CopyInUse>& copy);

// Tells that 확인 saved nothing, since the setting names no folder to save to.
void ReportNoFolderToSaveTo(const RuleLocation& location);

// Tells that the rule file (changed at `changed`) no longer holds rules this seat saved last:
// how many are gone or changed, the first few, and where they are kept: in the folder's
// backup or a kept copy (`keptIn`), and in this seat's copy of its own save.
void ReportRulesReplaced(const FilePath& file, const std::optional<SYSTEMTIME>& changed,
                         const ReplacedRules& replaced, const std::optional<FilePath>& keptIn,
                         const FilePath& ownCopy);

// Fault injection into the rule file writer, compiled only into test programs that build
// RuleFile_win.cpp themselves with QUILLET_RULE_FILE_TEST_SEAM defined; Quillet.dll has none.
#pragma once

#ifndef QUILLET_RULE_FILE_TEST_SEAM
#error "rules/RuleFileTestSeam.h belongs to test builds only"
#endif

#include <string>

#include "rules/RuleFile.h"

// Called once the new contents and the backup are on disk, just before the rule file is
// replaced.
using BeforeReplaceHook = void (*)();

RuleFileSaveResult SaveRuleFileTo(const std::wstring& path, const RuleTable& table,
                                  BeforeReplaceHook beforeReplace);

// The rule file "<ModuleDir>\Quillet.def" on disk. Failures are reported to the user in a
// message box that names the file and the cause.
#pragma once

#include <string>
#include <string_view>

#include "rules/RuleTable.h"

inline constexpr wchar_t kRuleFileBaseName[] = L"Quillet";

// Test-only fault injection, read only by the writer between writing the temporary file
// and replacing the rule file with it: when this environment variable is "1" the process
// ends there at once with kInterruptedSaveExitCode, as if it had crashed.
inline constexpr wchar_t kInterruptSaveVariable[] = L"QUILLET_TEST_INTERRUPT_SAVE";
inline constexpr unsigned kInterruptedSaveExitCode = 86;

// The folder of the module that holds this code, without a trailing backslash; worked out
// afresh on each call.
std::wstring GetModuleDir();

// "<ModuleDir>\<baseName>.def".
std::wstring RuleFilePath(std::wstring_view baseName);

// Clears the table and fills it from the rule file. Returns false, leaving the table empty,
// when the file cannot be opened or read.
bool LoadRuleFile(RuleTable& table);
bool LoadRuleFileFrom(const std::wstring& path, RuleTable& table);

// Replaces the rule file with the table's rules: either the whole new file is in place or
// the old one is untouched. Returns false after reporting a failure.
bool SaveRuleFile(const RuleTable& table, std::wstring_view baseName);
bool SaveRuleFileTo(const std::wstring& path, const RuleTable& table);

// The rule file "<ModuleDir>\Quillet.def" on disk. Reading and writing tell what happened as
// values; the caller decides what the user is told.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rules/RuleFileFormat.h"
#include "rules/RuleTable.h"

inline constexpr wchar_t kRuleFileBaseName[] = L"Quillet";

struct RuleFileLoadResult {
    std::wstring path;
    uint32_t error = 0;        // the Win32 error code; 0 when the file was read
    RuleFileReadResult lines;  // what the file held, when it was read
    bool succeeded() const { return error == 0; }
};

struct RuleFileSaveResult {
    std::wstring path;
    uint32_t error = 0;  // the Win32 error code; 0 when the table's own bytes are in place
    bool succeeded() const { return error == 0; }
};

// The folder of the module that holds this code, without a trailing backslash; worked out
// afresh on each call.
std::wstring GetModuleDir();

// "<ModuleDir>\<baseName>.def".
std::wstring RuleFilePath(std::wstring_view baseName);

// "<path>.bak": where a save keeps the file it replaces.
std::wstring BackupPathOf(std::wstring_view path);

// "<path>.<process id>-<attempt>.tmp": the names a save tries in turn for its temporary
// files until one is new.
std::wstring TemporaryPathCandidate(std::wstring_view path, unsigned attempt);

// Clears the table and fills it from the rule file; the table stays empty when the file
// cannot be opened or read.
RuleFileLoadResult LoadRuleFile(RuleTable& table);
RuleFileLoadResult LoadRuleFileFrom(const std::wstring& path, RuleTable& table);

// Replaces the rule file with the table's rules and keeps the file it replaces, byte for
// byte, as BackupPathOf(path). Either both are in place or the old file is untouched; the
// folder never lacks a whole rule file. A missing rule file leaves no backup.
RuleFileSaveResult SaveRuleFile(const RuleTable& table, std::wstring_view baseName);
RuleFileSaveResult SaveRuleFileTo(const std::wstring& path, const RuleTable& table);

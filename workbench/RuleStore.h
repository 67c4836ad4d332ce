// Writing a rule file as the module does: the bytes of EncodeRuleFile, either the whole new
// file in place or the old one untouched, and the previous file kept byte for byte as
// "<file>.bak". One implementation per platform.
#pragma once

#include <filesystem>
#include <string>

#include "rules/RuleTable.h"

struct StoreOutcome {
    bool saved = false;
    bool backupKept = false;  // "<file>.bak" now holds the file that was replaced
    std::string error;        // why it was not saved (Korean, UTF-8)
};

StoreOutcome StoreRuleFile(const std::filesystem::path& path, const RuleTable& table);

inline std::filesystem::path BackupPathOf(const std::filesystem::path& path) {
    std::filesystem::path backup = path;
    backup += ".bak";
    return backup;
}

// Files the workbench writes, through the module's own rule store: the rule file with its
// backup and kept copy, and other files (CSV) replaced whole by one rename.
#pragma once

#include <string>
#include <string_view>

#include "platform/FilePort.h"
#include "rules/RuleTable.h"

struct StoreOutcome {
    bool saved = false;
    bool unchanged = false;   // the file held these bytes already: nothing was written
    bool backupKept = false;  // "<file>.bak" now holds the file that was replaced
    std::string keptCopy;     // where the replaced file is kept for good, UTF-8; empty if not
    std::string error;        // why it was not saved (Korean, UTF-8)
};

// `path` is UTF-8.
StoreOutcome StoreRuleFile(FilePort& files, const std::string& path, const RuleTable& table);
StoreOutcome StoreWholeFile(FilePort& files, const std::string& path, std::string_view bytes);

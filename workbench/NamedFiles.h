// Files the workbench reads and writes, named as the command line gives them: reading is
// bounded and takes only files, and writing goes through the module's own rule store (the
// rule file with its backup and kept copy, other files such as CSV replaced whole by one
// rename).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/FilePort.h"
#include "rules/RuleTable.h"

struct StoreOutcome {
    bool saved = false;
    bool unchanged = false;   // the file held these bytes already: nothing was written
    bool backupKept = false;  // "<file>.bak" now holds the file that was replaced
    std::string keptCopy;     // where the replaced file is kept for good, as a name; empty if not
    std::string error;        // why it was not saved (Korean, UTF-8)
};

// Names are as the program was given them (FilePort::PathFromName).
StoreOutcome StoreRuleFile(FilePort& files, const std::string& name, const RuleTable& table);
StoreOutcome StoreWholeFile(FilePort& files, const std::string& name, std::string_view bytes);

// The whole file, or nothing with `error` set to why not (Korean, UTF-8).
std::optional<std::string> ReadNamedFile(FilePort& files, const std::string& name,
                                         std::string& error);

// Whether the two names, by whatever path or link, are one file that exists.
bool SameFile(FilePort& files, const std::string& a, const std::string& b);

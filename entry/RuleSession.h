// The rule table's life in the module: loaded from the rule file (in the folder the registry
// names, else beside the module) at each start of the command, edited in the rule list,
// saved when the list is confirmed.
#pragma once

#include "platform/Win32FilePort.h"
#include "rules/RuleFolder.h"
#include "rules/RuleTable.h"

class RuleSession {
public:
    // Clears the table and refills it from the rule file; what the user must know about the
    // file is shown.
    void Load();

    // The table as loaded and edited since; the rewrite applies it.
    const RuleTable& table() const { return table_; }

    // Opens the "Hole Diameter" list on the table, which it changes in place as the user
    // works; when the list is confirmed the table is saved, and a failed save is shown. A
    // cancelled list keeps its changes in the table until the next load.
    void EditInRuleList();

private:
    Win32FilePort files_;
    RuleTable table_;
    RuleLocation location_;  // where the table was loaded from, and is saved to
};

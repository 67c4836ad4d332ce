// The rule table's life in the module: loaded from the rule file (in the folder the registry
// names, else beside the module) at each start of the command, edited in the rule list,
// saved when the list is confirmed.
#pragma once

#include <optional>
#include <string>

#include "platform/SystemFilePort.h"
#include "rules/RuleFolder.h"
#include "rules/RuleStore.h"
#include "rules/RuleTable.h"

class RuleSession {
public:
    // Clears the table and refills it from the rule file; what the user must know about the
    // file is shown. A rule folder named in the registry that cannot be reached is stood in
    // for by this user's copy of the file last read from it.
    void Load();

    // The table as loaded and edited since; the rewrite applies it.
    const RuleTable& table() const { return table_; }

    // Opens the "Hole Diameter" list on the table, which it changes in place as the user
    // works; when the list is confirmed the table is saved, and a failed save is shown. A
    // rule file changed elsewhere since the load is replaced only when the user says so. A
    // cancelled list, or a save the user declined, keeps its changes in the table until the
    // next load.
    void EditInRuleList();

private:
    void SaveConfirmed();
    std::wstring LocalCopyPath() const;
    bool LoadLocalCopy();

    SystemFilePort files_;
    RuleTable table_;
    RuleLocation location_;  // where the table was loaded from, and is saved to
    // What the rule file held when the table was loaded (or last saved); nullopt when the
    // file could not be read for a reason other than its absence.
    std::optional<FileContents> loaded_;
};

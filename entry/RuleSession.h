// The rule table's life in the module: loaded from the rule file (in the folder the registry
// names, else beside the module) at each start of the command, edited in the rule list,
// saved when the list is confirmed.
#pragma once

#include <optional>
#include <string>

#include "dialogs/RuleListDialog.h"
#include "entry/RuleFileReport.h"
#include "platform/SystemFilePort.h"
#include "rules/ReplacedRules.h"
#include "rules/RuleFolder.h"
#include "rules/RuleStore.h"
#include "rules/RuleTable.h"

class RuleSession {
public:
    // Clears the table and refills it from the rule file; what the user must know about the
    // file is shown. A rule folder named in the registry that cannot be reached, or a setting
    // that cannot be used, is stood in for by this user's copy of the latest table known.
    void Load();

    // The table as loaded and edited since; the rewrite applies it.
    const RuleTable& table() const { return table_; }
    // Where the table was loaded from, and what the file held then (or at the last save):
    // what the journal records of the rules a rewrite used.
    const RuleLocation& location() const { return location_; }
    const FileAtLoad& fileAtLoad() const { return atLoad_; }

    // Opens the "Hole Diameter" list on the table, which it changes in place as the user
    // works; when the list is confirmed the table is saved, and a failed save is shown. A
    // rule file changed elsewhere since the load, or one the load could not read, is
    // replaced only when the user says so. A cancelled list, or a save the user declined,
    // keeps its changes in the table until the next load. The list also shows `options`, and
    // leaves the preview's switch in it as the user left it; true when it ended with 확인.
    bool EditInRuleList(RuleListOptions& options);

    struct LocalCopy {
        std::wstring path;
        CopyInUse use;
    };

private:
    void LoadWithUnusableSetting();
    void TellIfRulesReplaced(const RuleFileLoad& load);
    std::optional<FilePath> KeptCopyHolding(const ReplacedRules& replaced);
    void SaveConfirmed();
    std::wstring CopyPath(CopyOrigin origin) const;
    void KeepCopy(const std::string& bytes, CopyOrigin origin);
    bool LoadCopy(const LocalCopy& copy);

    SystemFilePort files_;
    RuleTable table_;
    RuleLocation location_;  // where the table was loaded from, and is saved to
    FileAtLoad atLoad_;      // what the rule file was at the load (or the last save)
};

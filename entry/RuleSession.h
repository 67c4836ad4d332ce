// The rule table's life in the module: loaded from the rule file (in the folder the registry
// names, else beside the module) at each start of the command, edited in the rule list,
// saved when the list is confirmed.
#pragma once

#include <optional>
#include <string>

#include "dialogs/RuleListDialog_win.h"
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
    // While the rule list is open it holds the table, and nothing is loaded.
    void Load();

    // The table as loaded and edited since; the rewrite applies it.
    const RuleTable& table() const { return table_; }
    // Where the table was loaded from, and is saved to.
    const RuleLocation& location() const { return location_; }
    // The bytes that name the rules in force, for the journal: the rule file's as loaded (or
    // last saved) while the table is as it was then; once the table holds changes the file
    // lacks (a cancelled list, a declined save), the file a save of the table would write.
    // Nothing when no file was read and the table is unchanged.
    std::optional<std::string> RulesInForceBytes() const;

    // Opens the "Hole Diameter" list on a copy of the table (nothing when a list is open
    // already) and decides what comes of it, here and nowhere else:
    // - the table takes every change the user makes as it is made, so that a rewrite sent
    //   while the list runs uses the rules as the user has left them so far, and a cancelled
    //   list, or a save the user declined, keeps its changes until the next load;
    // - the editor's accepted values are remembered for its next new rule (entry/EditorMemory);
    // - a confirmed list saves the table (a rule file changed elsewhere since the load, or one
    //   the load could not read, is replaced only when the user says so; a failed save is
    //   shown), then remembers the preview's switch as the user's value when it was changed
    //   and the machine does not decide.
    void EditInRuleList(RuleListOptions options);

    // This user's copy of a rule folder's file that a load stands in with, and its time.
    struct LocalCopy {
        FilePath path;
        CopyInUse use;
    };

private:
    void LoadFromFile();
    void LoadWithUnusableSetting();
    void TellIfRulesReplaced(const RuleFileLoad& load);
    std::optional<FilePath> KeptCopyHolding(const ReplacedRules& replaced);
    void SaveConfirmed();
    // `replaced`: the file the save replaced, when it was read.
    void JournalTheSave(const std::string* replaced);
    FilePath CopyPath(CopyOrigin origin) const;
    void KeepCopy(const std::string& bytes, CopyOrigin origin);
    bool LoadCopy(const LocalCopy& copy);

    SystemFilePort files_;
    RuleTable table_;
    RuleLocation location_;      // where the table was loaded from, and is saved to
    FileAtLoad atLoad_;          // what the rule file was at the load (or the last save)
    std::string encodedAtLoad_;  // the table as a save would write it, then
};

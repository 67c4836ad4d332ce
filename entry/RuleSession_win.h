// The module's rule session: the seat's rule policy (seat/RuleSession.h) over the system's
// files and the module's message boxes, loaded at each start of the command from where the
// settings name the rule file then, and edited in the rule list (event 7).
#pragma once

#include "platform/SystemFilePort.h"
#include "seat/RuleSession.h"

class RewriteSession;
class HoleHost;

// Tells and asks in the module's own message boxes (entry/RuleFileReport.h).
class MessageBoxRuleUser final : public RuleSessionUser {
public:
    void TellRuleFileLoad(const RuleFileLoad& load) override;
    void TellLocalCopyInUse(const RuleLocation& location, const LocalRuleCopy& copy) override;
    void TellNoRuleFileInFolder(const RuleLocation& location,
                                const std::optional<FilePath>& besideModule) override;
    void TellUnusableRuleFolder(const RuleLocation& location,
                                const std::optional<LocalRuleCopy>& copy) override;
    void TellRulesReplaced(const ReplacedRulesNotice& notice) override;
    void TellNoFolderToSaveTo(const RuleLocation& location) override;
    void TellSaveFailed(const FileSave& save) override;
    bool AskToReplaceChangedFile(const FilePath& path, bool unreadableAtLoad) override;
};

class ModuleRuleSession {
public:
    ModuleRuleSession();

    // Loads the rule file, the registry read anew so that a changed setting takes effect
    // without a restart. While the rule list is open it holds the table, and nothing is loaded.
    void Load();

    const RuleSession& session() const { return session_; }

    // Event 7: opens the "Hole Diameter" list on a copy of the table (nothing when a list is
    // open already), with the preview's switch as the settings have it and the undo of the
    // command's rewrites, and decides what comes of it, here and nowhere else:
    // - the table takes every change the user makes as it is made, so that a rewrite sent
    //   while the list runs uses the rules as the user has left them so far, and a cancelled
    //   list, or a save the user declined, keeps its changes until the next load;
    // - the editor's accepted values are remembered for its next new rule (entry/EditorMemory);
    // - a confirmed list saves the table (RuleSession::Save), then remembers the preview's
    //   switch as the user's value when it was changed and the machine does not decide.
    void EditInRuleList(RewriteSession& rewrites, HoleHost& host);

private:
    void JournalTheSave(const TableSave& save);

    SystemFilePort files_;
    MessageBoxRuleUser user_;
    RuleSession session_;
};

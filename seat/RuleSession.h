// The seat's rule table and its file: what a load reads and, while a shared rule folder is out
// of reach, which of this user's copies it stands in with; what the user is told of the file;
// which copies are kept; how a confirmed table is saved over a file that may have changed
// since. Over a file port and a port to the user, so that each of its steps can be run and
// failed off Windows; the module supplies the system's files and its message boxes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/FilePort.h"
#include "platform/TextEncoding.h"
#include "rules/ReplacedRules.h"
#include "rules/RuleFolder.h"
#include "rules/RuleStore.h"
#include "rules/RuleTable.h"
#include "settings/Settings.h"

// The rules this seat saved last that the rule file no longer holds, and where they are kept.
struct ReplacedRulesNotice {
    FilePath file;  // the rule file as the load read it
    ReplacedRules replaced;
    std::optional<FilePath> keptIn;  // the folder's backup or kept copy that holds all of them
    FilePath ownCopy;                // this seat's copy of its own last save
};

// What the session tells the user and asks of them; the module shows it in message boxes.
class RuleSessionUser {
public:
    virtual ~RuleSessionUser() = default;

    // The load's file error, or the lines it read but did not apply.
    virtual void TellRuleFileLoad(const RuleFileLoad& load) = 0;
    // The rule folder cannot be reached: the table comes from this user's `copy`.
    virtual void TellLocalCopyInUse(const RuleLocation& location, const LocalRuleCopy& copy) = 0;
    // The rule folder is there but holds no rule file: no rules apply, although the module's
    // folder may still hold this seat's table (`besideModule`).
    virtual void TellNoRuleFileInFolder(const RuleLocation& location,
                                        const std::optional<FilePath>& besideModule) = 0;
    // The RuleFolder setting cannot be used; the table comes from `copy`, or there are no rules.
    virtual void TellUnusableRuleFolder(const RuleLocation& location,
                                        const std::optional<LocalRuleCopy>& copy) = 0;
    virtual void TellRulesReplaced(const ReplacedRulesNotice& notice) = 0;
    // 확인 saved nothing: the setting names no folder to save to.
    virtual void TellNoFolderToSaveTo(const RuleLocation& location) = 0;
    virtual void TellSaveFailed(const FileSave& save) = 0;
    // Whether to replace the rule file at `path`, which holds what the load did not read
    // (changed elsewhere since, or not readable at the load); true for yes.
    virtual bool AskToReplaceChangedFile(const FilePath& path, bool unreadableAtLoad) = 0;
};

// What a save of the table came to, and what it replaced.
struct TableSave {
    enum class Outcome : uint8_t {
        Saved,     // the file holds `after` (also when it held those bytes already)
        Declined,  // the user would not replace a file changed since the load
        Failed,    // told; the file is as it was
        NoFolder,  // told; the setting names no folder to save to
    };
    Outcome outcome = Outcome::Failed;
    FilePath path;        // the rule file
    FileContents before;  // Saved: what the file held before the save (nothing: no file)
    std::string after;    // Saved: what it holds now

    bool saved() const { return outcome == Outcome::Saved; }
};

class RuleSession {
public:
    // `legacy` decodes a rule file in a legacy code page.
    RuleSession(FilePort& files, RuleSessionUser& user, LegacyTextDecoder legacy)
        : files_(files), user_(user), legacy_(std::move(legacy)) {}

    // Clears the table and refills it from the rule file at `places`, telling the user what
    // they must know about it. A rule folder named in the registry that cannot be reached, or
    // a setting that cannot be used, is stood in for by this user's copy of the latest table
    // known; each file read from a named folder is copied for that.
    void Load(const SeatPlaces& places);

    // The table as loaded and edited since; the rewrite applies it.
    const RuleTable& table() const { return table_; }
    // Takes the table as the user left it, saved or not; it holds until the next load.
    void TakeEdited(RuleTable table) { table_ = std::move(table); }
    // Where the table was loaded from, and is saved to.
    const RuleLocation& location() const { return places_.location; }

    // The bytes that name the rules in force, for the journal: the rule file's as loaded (or
    // last saved) while the table is as it was then; once the table holds changes the file
    // lacks (a cancelled list, a declined save), the file a save of the table would write.
    // Nothing when no file was read and the table is unchanged.
    std::optional<std::string> RulesInForceBytes() const;

    // Saves the table over the rule file. A file that holds what the load did not read is
    // replaced only when the user says so; each yes agrees to exactly the file asked about, and
    // a file changed once more meanwhile is asked about again. A failed save is told.
    TableSave Save();

private:
    void LoadFromFile();
    void LoadWithUnusableSetting();
    bool StandInWithCopy();
    bool LoadCopy(const LocalRuleCopy& copy);
    void TellIfRulesReplaced(const RuleFileLoad& load);
    std::optional<FilePath> KeptCopyHolding(const ReplacedRules& replaced);
    FilePath CopyPath(CopyOrigin origin) const;
    void KeepCopy(const std::string& bytes, CopyOrigin origin);
    TableSave AfterSave(const FileSave& save, const FileContents& expected);

    FilePort& files_;
    RuleSessionUser& user_;
    LegacyTextDecoder legacy_;
    SeatPlaces places_;
    RuleTable table_;
    FileAtLoad atLoad_;          // what the rule file was at the load (or the last save)
    std::string encodedAtLoad_;  // the table as a save would write it, then
};

#include "seat/RuleSession.h"

#include <utility>
#include <vector>

#include "platform/AtomicFile.h"

void RuleSession::Load(const SeatPlaces& places) {
    places_ = places;
    atLoad_ = {};
    LoadFromFile();
    encodedAtLoad_ = EncodeRuleFile(table_);
}

std::optional<std::string> RuleSession::RulesInForceBytes() const {
    std::string encoded = EncodeRuleFile(table_);
    if (encoded != encodedAtLoad_) return encoded;
    if (atLoad_.state != FileAtLoad::State::Read) return std::nullopt;
    return atLoad_.bytes;
}

void RuleSession::LoadFromFile() {
    const RuleLocation& location = places_.location;
    if (!location.usable()) {
        LoadWithUnusableSetting();
        return;
    }
    const RuleFileLoad load = RuleStore(files_, location.file).Load(table_, legacy_);
    atLoad_ = FileAtLoad::Of(load);
    if (location.configured()) {
        if (load.succeeded()) {
            TellIfRulesReplaced(load);
            KeepCopy(load.bytes, CopyOrigin::Read);
        } else if (files_.KindOf(location.folder) != FileKind::Folder) {
            if (StandInWithCopy()) return;
        } else if (load.status.fault == FileFault::NotFound) {
            user_.TellNoRuleFileInFolder(
                location, TableLeftBesideModule(files_, location, places_.moduleFolder));
            return;
        }
    }
    user_.TellRuleFileLoad(load);
}

// A setting that names no folder is a folder out of reach: the latest table this user has a
// copy of, from whichever folder it was, else no rules.
void RuleSession::LoadWithUnusableSetting() {
    table_.Clear();
    std::optional<LocalRuleCopy> newest = StandInCopy(files_, places_.ownFolder, location());
    if (newest && !LoadCopy(*newest)) newest.reset();
    user_.TellUnusableRuleFolder(location(), newest);
}

bool RuleSession::StandInWithCopy() {
    const std::optional<LocalRuleCopy> copy = StandInCopy(files_, places_.ownFolder, location());
    if (!copy || !LoadCopy(*copy)) return false;
    user_.TellLocalCopyInUse(location(), *copy);
    return true;
}

bool RuleSession::LoadCopy(const LocalRuleCopy& copy) {
    const RuleFileLoad load = RuleStore(files_, copy.path).Load(table_, legacy_);
    if (!load.succeeded()) return false;
    // The folder's file, once back, is taken to be what the copy holds.
    atLoad_ = FileAtLoad::Of(load);
    return true;
}

// One pair of copies per configured rule file, so that a changed setting never loads another
// folder's rules while that folder is only out of reach.
FilePath RuleSession::CopyPath(CopyOrigin origin) const {
    if (places_.ownFolder.empty()) return {};
    return places_.ownFolder + u"\\" + LocalCopyNameFor(location().file, origin);
}

// A save's copy replaces the copy of the file read before it, so that the one left is the
// latest table known. The copy of this seat's last save stays when the folder is read
// again: it is what TellIfRulesReplaced compares the folder's file with. Of two copies the
// newer is the latest table known (StandInCopy).
void RuleSession::KeepCopy(const std::string& bytes, CopyOrigin origin) {
    const FilePath copy = CopyPath(origin);
    if (copy.empty() || !files_.MakeFolder(places_.ownFolder).ok() ||
        !WriteFileAtomically(files_, copy, bytes).succeeded()) {
        return;
    }
    if (origin == CopyOrigin::Saved) files_.Remove(CopyPath(CopyOrigin::Read));
}

// Told once for each file this seat had not seen yet: the copy of the file last read here
// holds other bytes, or there is none since this seat's own save.
void RuleSession::TellIfRulesReplaced(const RuleFileLoad& load) {
    const FilePath savedCopy = CopyPath(CopyOrigin::Saved);
    if (savedCopy.empty() || files_.KindOf(savedCopy) != FileKind::File) return;
    std::string lastRead;
    const FileStatus read =
        files_.ReadAll(CopyPath(CopyOrigin::Read), ReadSharing::WithWriters, lastRead);
    if (read.ok() && lastRead == load.bytes) return;
    RuleTable saved;
    if (!RuleStore(files_, savedCopy).Load(saved, legacy_).succeeded()) return;
    ReplacedRules replaced = FindReplacedRules(saved, table_);
    if (!replaced.any()) return;
    std::optional<FilePath> keptIn = KeptCopyHolding(replaced);
    user_.TellRulesReplaced({load.path, std::move(replaced), std::move(keptIn), savedCopy});
}

// The folder's backup, else its newest kept copy, that holds every rule replaced.
std::optional<FilePath> RuleSession::KeptCopyHolding(const ReplacedRules& replaced) {
    std::vector<FilePath> candidates = KeptCopiesOf(files_, location().folder, location().file);
    candidates.insert(candidates.begin(), BackupPathOf(location().file));
    for (const FilePath& path : candidates) {
        RuleTable kept;
        if (RuleStore(files_, path).Load(kept, legacy_).succeeded() &&
            HoldsEveryRule(kept, replaced.rules)) {
            return path;
        }
    }
    return std::nullopt;
}

TableSave RuleSession::Save() {
    const RuleLocation& location = places_.location;
    if (!location.usable()) {
        user_.TellNoFolderToSaveTo(location);
        return {TableSave::Outcome::NoFolder, location.file, {}, {}};
    }
    const RuleStore store(files_, location.file);
    FileContents expected;
    SaveOptions options = SaveAfterLoad(atLoad_, expected);
    FileContents agreed;
    for (;;) {
        FileSave save = store.Save(table_, options);
        if (save.failedStep != SaveStep::CheckFound) return AfterSave(save, *options.expected);
        if (!user_.AskToReplaceChangedFile(save.path, atLoad_.unreadable())) {
            return {TableSave::Outcome::Declined, save.path, {}, {}};
        }
        agreed = std::move(save.found);
        options = SaveReplacing(atLoad_, agreed);
    }
}

// The save replaced only what it expected, or no file: a backup was made of the file it
// replaced, and none when there was no file.
TableSave RuleSession::AfterSave(const FileSave& save, const FileContents& expected) {
    if (!save.succeeded()) {
        user_.TellSaveFailed(save);
        return {TableSave::Outcome::Failed, save.path, {}, {}};
    }
    atLoad_ = {FileAtLoad::State::Read, EncodeRuleFile(table_)};
    encodedAtLoad_ = atLoad_.bytes;
    if (location().configured() && !save.unchanged) KeepCopy(atLoad_.bytes, CopyOrigin::Saved);
    FileContents before = save.unchanged    ? FileContents{true, atLoad_.bytes}
                          : save.backupKept ? expected
                                            : FileContents{};
    return {TableSave::Outcome::Saved, save.path, std::move(before), atLoad_.bytes};
}

#include "entry/RuleSession.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>

#include "dialogs/RuleListDialog_win.h"
#include "dialogs/RuleListText.h"
#include "entry/EditorMemory_win.h"
#include "entry/JournalSeat_win.h"
#include "entry/RuleFileReport.h"
#include "framework/ModalDialog_win.h"
#include "journal/RuleTables.h"
#include "journal/Sha256.h"
#include "platform/AtomicFile.h"
#include "platform/FilePaths_win.h"
#include "platform/LegacyCodePage.h"
#include "platform/TextEncoding.h"
#include "platform/WideText_win.h"
#include "rules/RuleFileFormat.h"
#include "rules/RuleStore.h"
#include "settings/Registry_win.h"
#include "settings/Settings.h"

namespace {

// Any object of the module: its address names the module whose folder holds the rule file
// when the registry names no other.
const char moduleAnchor = 0;

// The copy a load stands in with, as `where` tells it too.
std::optional<RuleSession::LocalCopy> StandInCopyOf(FilePort& files, const RuleLocation& location) {
    const std::optional<LocalRuleCopy> copy =
        StandInCopy(files, LocalAppDataFolder(u"Quillet"), location);
    if (!copy) return std::nullopt;
    return RuleSession::LocalCopy{copy->path, {copy->origin, LastWriteLocalTime(copy->path)}};
}

}  // namespace

void RuleSession::Load() {
    // The list edits and saves the table it was opened on; a load under it would make its
    // 확인 replace, unasked, a file it never showed.
    if (RuleListIsOpen()) return;
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
    // The registry is read at each load, so that a changed setting takes effect without a
    // restart.
    location_ =
        ChooseRuleLocation(ReadSettingValues(kRuleFolderSetting), ModuleFolderOf(&moduleAnchor));
    atLoad_ = {};
    if (!location_.usable()) {
        LoadWithUnusableSetting();
        return;
    }
    const RuleFileLoad load =
        RuleStore(files_, location_.file).Load(table_, SystemCodePageDecoder());
    atLoad_ = FileAtLoad::Of(load);
    if (location_.configured()) {
        if (load.succeeded()) {
            TellIfRulesReplaced(load);
            KeepCopy(load.bytes, CopyOrigin::Read);
        } else if (files_.KindOf(location_.folder) != FileKind::Folder) {
            const std::optional<LocalCopy> copy = StandInCopyOf(files_, location_);
            if (copy && LoadCopy(*copy)) {
                ReportLocalCopyInUse(location_.folder, copy->use);
                return;
            }
        } else if (load.status.fault == FileFault::NotFound) {
            ReportNoRuleFileInFolder(location_);
            return;
        }
    }
    ReportRuleFileLoad(load);
}

// A setting that names no folder is a folder out of reach: the latest table this user has a
// copy of, from whichever folder it was, else no rules.
void RuleSession::LoadWithUnusableSetting() {
    table_.Clear();
    std::optional<LocalCopy> newest = StandInCopyOf(files_, location_);
    if (newest && !LoadCopy(*newest)) newest.reset();
    ReportUnusableRuleFolder(location_, newest ? std::optional(newest->use) : std::nullopt);
}

// One pair of copies per configured rule file, so that a changed setting never loads another
// folder's rules while that folder is only out of reach.
FilePath RuleSession::CopyPath(CopyOrigin origin) const {
    const FilePath folder = LocalAppDataFolder(u"Quillet");
    if (folder.empty()) return {};
    return folder + u"\\" + LocalCopyNameFor(location_.file, origin);
}

// A save's copy replaces the copy of the file read before it, so that the one left is the
// latest table known. The copy of this seat's last save stays when the folder is read
// again: it is what TellIfRulesReplaced compares the folder's file with. Of two copies the
// newer is the latest table known (StandInCopy).
void RuleSession::KeepCopy(const std::string& bytes, CopyOrigin origin) {
    const FilePath copy = CopyPath(origin);
    if (copy.empty() || !WriteFileAtomically(files_, copy, bytes).succeeded()) return;
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
    if (!RuleStore(files_, savedCopy).Load(saved, SystemCodePageDecoder()).succeeded()) {
        return;
    }
    const ReplacedRules replaced = FindReplacedRules(saved, table_);
    if (!replaced.any()) return;
    ReportRulesReplaced(load.path, LastWriteLocalTime(load.path), replaced,
                        KeptCopyHolding(replaced), savedCopy);
}

// The folder's backup, else its newest kept copy, that holds every rule replaced.
std::optional<FilePath> RuleSession::KeptCopyHolding(const ReplacedRules& replaced) {
    std::vector<FilePath> candidates;
    const FilePath backup = BackupPathOf(location_.file);
    const FilePath keptPrefix = location_.file + u".";
    if (files_.ListFolder(location_.folder, candidates).ok()) {
        std::erase_if(candidates, [&](const FilePath& path) {
            return path == backup || !path.starts_with(keptPrefix) || !path.ends_with(u".bak");
        });
    }
    // Kept copies are named by the time of their save: the newest sorts last.
    std::ranges::sort(candidates, std::greater<>());
    candidates.insert(candidates.begin(), backup);
    for (const FilePath& path : candidates) {
        RuleTable kept;
        if (RuleStore(files_, path).Load(kept, SystemCodePageDecoder()).succeeded() &&
            HoldsEveryRule(kept, replaced.rules)) {
            return path;
        }
    }
    return std::nullopt;
}

bool RuleSession::LoadCopy(const LocalCopy& copy) {
    const RuleFileLoad load = RuleStore(files_, copy.path).Load(table_, SystemCodePageDecoder());
    if (!load.succeeded()) return false;
    // The folder's file, once back, is taken to be what the copy holds.
    atLoad_ = FileAtLoad::Of(load);
    return true;
}

void RuleSession::EditInRuleList(RuleListOptions options) {
    if (RuleListIsOpen()) return;
    const int32_t countAtOpen = table_.count();
    const bool previewAtOpen = options.previewBeforeRewrite;
    const bool machineDecides = options.previewDecidedByMachine;
    options.recallEditorValues = RecallEditorValues;
    options.rememberEditorValues = RememberEditorValues;
    options.tableChanged = [this](const RuleTable& edited) { table_ = edited; };
    RuleListResult result = EditRuleList(ActiveOwner(), table_, std::move(options));
    table_ = std::move(result.table);
    if (result.outcome != ListOutcome::Confirmed) return;
    if (ConfirmedListSaves(countAtOpen, table_.count())) SaveConfirmed();
    if (!machineDecides && result.previewBeforeRewrite != previewAtOpen) {
        (void)RememberText(kPreviewBeforeRewriteSetting, result.previewBeforeRewrite ? u"1" : u"0");
    }
}

// Each answer of yes agrees to replace exactly the file the question was about: a file
// changed once more meanwhile is asked about again.
void RuleSession::SaveConfirmed() {
    if (!location_.usable()) {
        ReportNoFolderToSaveTo(location_);
        return;
    }
    const RuleStore store(files_, location_.file);
    FileContents expected;
    SaveOptions options = SaveAfterLoad(atLoad_, expected);
    FileContents agreed;
    for (;;) {
        FileSave save = store.Save(table_, options);
        if (save.failedStep != SaveStep::CheckFound) {
            ReportRuleFileSave(save);
            if (!save.succeeded()) return;
            if (!save.unchanged) {
                JournalTheSave(agreed.exists                              ? &agreed.bytes
                               : atLoad_.state == FileAtLoad::State::Read ? &atLoad_.bytes
                                                                          : nullptr);
            }
            atLoad_ = {FileAtLoad::State::Read, EncodeRuleFile(table_)};
            encodedAtLoad_ = atLoad_.bytes;
            if (location_.configured() && !save.unchanged)
                KeepCopy(atLoad_.bytes, CopyOrigin::Saved);
            return;
        }
        if (!AskToReplaceChangedRuleFile(save.path, LastWriteLocalTime(save.path),
                                         atLoad_.unreadable())) {
            return;
        }
        agreed = std::move(save.found);
        options = SaveReplacing(atLoad_, agreed);
    }
}

// The save as an act of the journals: one row per rule added, removed or changed since the file
// it replaced, and the table it wrote kept by content.
void RuleSession::JournalTheSave(const std::string* replaced) {
    JournalAct act = ActOfThisSeat(JournalAction::RulesSaved);
    act.ruleFile = Utf8FromUtf16(location_.file, SurrogateForm::Replaced);
    const std::string written = EncodeRuleFile(table_);
    act.ruleFileSha256 = Sha256Hex(written);
    RuleTable before;
    if (replaced) {
        act.previousSha256 = Sha256Hex(*replaced);
        const auto* bytes = reinterpret_cast<const unsigned char*>(replaced->data());
        DecodeRuleFile({bytes, replaced->size()}, before, SystemCodePageDecoder());
    }
    const RuleChangeRows rows(RuleChangesBetween(before, table_));
    TellJournalMisses(RecordAct(files_, JournalsOfThisSeat(files_, location_), act, rows,
                                {act.ruleFileSha256, written}));
}

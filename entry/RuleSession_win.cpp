#include "entry/RuleSession_win.h"

#include <windows.h>

#include <cstdint>
#include <utility>

#include "dialogs/RuleListDialog_win.h"
#include "dialogs/RuleListText.h"
#include "entry/EditorMemory_win.h"
#include "entry/JournalSeat_win.h"
#include "entry/RewriteSession.h"
#include "entry/RuleFileReport.h"
#include "framework/ModalDialog_win.h"
#include "journal/RuleTables.h"
#include "journal/Sha256.h"
#include "platform/FilePaths_win.h"
#include "platform/LegacyCodePage.h"
#include "platform/TextEncoding.h"
#include "rules/RuleFileFormat.h"
#include "settings/SeatPlaces_win.h"

namespace {

// Any object of the module: its address names the module whose folder holds the rule file
// when the registry names no other.
const char moduleAnchor = 0;

CopyInUse InUse(const LocalRuleCopy& copy) {
    return {copy.origin, LastWriteLocalTime(copy.path)};
}

}  // namespace

void MessageBoxRuleUser::TellRuleFileLoad(const RuleFileLoad& load) {
    ReportRuleFileLoad(load);
}

void MessageBoxRuleUser::TellLocalCopyInUse(const RuleLocation& location,
                                            const LocalRuleCopy& copy) {
    ReportLocalCopyInUse(location.folder, InUse(copy));
}

void MessageBoxRuleUser::TellNoRuleFileInFolder(const RuleLocation& location,
                                                const std::optional<FilePath>& besideModule) {
    ReportNoRuleFileInFolder(location, besideModule);
}

void MessageBoxRuleUser::TellUnusableRuleFolder(const RuleLocation& location,
                                                const std::optional<LocalRuleCopy>& copy) {
    ReportUnusableRuleFolder(location, copy ? std::optional(InUse(*copy)) : std::nullopt);
}

void MessageBoxRuleUser::TellRulesReplaced(const ReplacedRulesNotice& notice) {
    ReportRulesReplaced(notice.file, LastWriteLocalTime(notice.file), notice.replaced,
                        notice.keptIn, notice.ownCopy);
}

void MessageBoxRuleUser::TellNoFolderToSaveTo(const RuleLocation& location) {
    ReportNoFolderToSaveTo(location);
}

void MessageBoxRuleUser::TellSaveFailed(const FileSave& save) {
    ReportRuleFileSave(save);
}

bool MessageBoxRuleUser::AskToReplaceChangedFile(const FilePath& path, bool unreadableAtLoad) {
    return AskToReplaceChangedRuleFile(path, LastWriteLocalTime(path), unreadableAtLoad);
}

ModuleRuleSession::ModuleRuleSession() : session_(files_, user_, SystemCodePageDecoder()) {}

void ModuleRuleSession::Load() {
    // The list edits and saves the table it was opened on; a load under it would make its
    // 확인 replace, unasked, a file it never showed.
    if (RuleListIsOpen()) return;
    session_.Load(ReadSeatPlaces(ModuleFolderOf(&moduleAnchor)));
}

void ModuleRuleSession::EditInRuleList(RewriteSession& rewrites, HoleHost& host) {
    if (RuleListIsOpen()) return;
    const PreviewSetting preview = ReadPreviewSetting();
    RuleListOptions options;
    options.previewBeforeRewrite = preview.on;
    options.previewDecidedByMachine = preview.decidedByMachine;
    if (rewrites.CanUndo()) {
        options.undoLastRewrite = [&rewrites, &host] {
            rewrites.UndoLastRewrite(host);
            return rewrites.CanUndo();
        };
    }
    options.recallEditorValues = RecallEditorValues;
    options.rememberEditorValues = RememberEditorValues;
    options.tableChanged = [this](const RuleTable& edited) { session_.TakeEdited(edited); };
    const int32_t countAtOpen = session_.table().count();
    RuleListResult result = EditRuleList(ActiveOwner(), session_.table(), std::move(options));
    session_.TakeEdited(std::move(result.table));
    if (result.outcome != ListOutcome::Confirmed) return;
    if (ConfirmedListSaves(countAtOpen, session_.table().count())) {
        rewrites.FinishJournal();
        JournalTheSave(session_.Save());
    }
    RememberPreviewSwitch(preview, result.previewBeforeRewrite);
}

// A save that changed the file, as an act of the journals: one row per rule added, removed or
// changed since the file it replaced, and the table it wrote kept by content.
void ModuleRuleSession::JournalTheSave(const TableSave& save) {
    if (!save.saved() || (save.before.exists && save.before.bytes == save.after)) return;
    JournalAct act = ActOfThisSeat(JournalAction::RulesSaved);
    act.ruleFile = Utf8FromUtf16(save.path, SurrogateForm::Replaced);
    act.ruleFileSha256 = Sha256Hex(save.after);
    RuleTable before;
    if (save.before.exists) {
        act.previousSha256 = Sha256Hex(save.before.bytes);
        const auto* bytes = reinterpret_cast<const unsigned char*>(save.before.bytes.data());
        DecodeRuleFile({bytes, save.before.bytes.size()}, before, SystemCodePageDecoder());
    }
    const RuleChangeRows rows(RuleChangesBetween(before, session_.table()));
    TellJournalMisses(RecordAct(files_, JournalsOfThisSeat(files_, session_.location()), act, rows,
                                {act.ruleFileSha256, save.after}));
}

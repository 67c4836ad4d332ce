#include "entry/RewriteSession.h"

#include <windows.h>

#include <lmcons.h>

#include <string>

#include "command/HoleRewrite.h"
#include "command/JournalFiles.h"
#include "command/Sha256.h"
#include "dialogs/ModuleMessages_win.h"
#include "dialogs/ModuleTexts.h"
#include "dialogs/PreviewDialog_win.h"
#include "dialogs/RewriteTexts.h"
#include "framework/ModalDialog_win.h"
#include "host/KepLib.h"
#include "platform/TextEncoding.h"
#include "platform/WideText_win.h"
#include "settings/Registry_win.h"
#include "settings/SeatPlaces_win.h"
#include "settings/Settings.h"

namespace {

std::string Utf8(std::u16string_view text) {
    return Utf8FromUtf16(text, SurrogateForm::Replaced);
}

// 100 ns ticks since 1601-01-01.
int64_t TicksOf(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file)) return 0;
    return static_cast<int64_t>((uint64_t{file.dwHighDateTime} << 32) | file.dwLowDateTime);
}

// Now, with the offset of this seat's clock from UTC at this moment.
Timestamp Now() {
    constexpr int64_t kTicksPerMillisecond = 10'000;
    constexpr int64_t kTicksPerMinute = 600'000'000;
    constexpr int64_t kMillisecondsFrom1601To1970 = 11'644'473'600'000;
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    SYSTEMTIME local = utc;
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    const int64_t utcTicks = TicksOf(utc);
    const int64_t offsetTicks = TicksOf(local) - utcTicks;
    return {utcTicks / kTicksPerMillisecond - kMillisecondsFrom1601To1970,
            static_cast<int32_t>((offsetTicks + (offsetTicks >= 0 ? 1 : -1) * kTicksPerMinute / 2) /
                                 kTicksPerMinute)};
}

std::u16string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? ToU16(name) : std::u16string();
}

std::u16string UserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    return GetUserNameW(name, &size) ? ToU16(name) : std::u16string();
}

RewritePreview PreviewOf(const RewritePlan& plan) {
    return {PlanSummaryText(SummarizeChanges(plan.holes)), plan.holes};
}

// Nothing amended when the user cancels: said on the host's message line.
RewriteRecord RewriteAfterPreview(HoleHost& host, const RuleTable& table) {
    RewritePlan plan = PlanSelectedHoles(host, table, kRewriteWords);
    if (plan.status != PlanStatus::Ready) return {};
    if (!ConfirmRewrite(ActiveOwner(), PreviewOf(plan))) {
        KepMsgPutMessage(reinterpret_cast<const wchar_t*>(texts::kRewriteCancelled));
        return {};
    }
    return ApplyPlan(host, std::move(plan), kRewriteWords);
}

}  // namespace

PreviewSetting ReadPreviewSetting() {
    const SettingValues values = ReadSettingValues(kPreviewBeforeRewriteSetting);
    return {IsSwitchedOn(kPreviewBeforeRewriteSetting, values), DecidedForEveryone(values)};
}

void RememberPreviewSwitch(const PreviewSetting& atOpen, bool asLeft) {
    if (atOpen.decidedByMachine || asLeft == atOpen.on) return;
    (void)RememberText(kPreviewBeforeRewriteSetting, asLeft ? u"1" : u"0");
}

void RewriteSession::Rewrite(HoleHost& host) {
    const RewriteRecord done = ReadPreviewSetting().on
                                   ? RewriteAfterPreview(host, rules_.table())
                                   : RewriteSelectedHoles(host, rules_.table(), kRewriteWords);
    if (done.holes.empty()) return;
    const Timestamp time = Now();
    const std::string rewriteId = NewRewriteId();
    if (std::optional<UndoPoint> point = UndoPointOf(time, rewriteId, done.holes)) {
        undo_.Push(std::move(*point));
    }
    Journal(JournalAction::Rewrite, rewriteId, time, done.holes);
}

bool RewriteSession::UndoLastRewrite(HoleHost& host) {
    if (undo_.empty()) return false;
    const int32_t noLongerAsLeft = HolesNoLongerAsLeft(host, undo_.Newest());
    if (!AskModuleQuestion(ToWide(UndoQuestionText(undo_.Newest(), noLongerAsLeft)))) {
        return false;
    }
    const UndoPoint point = undo_.TakeNewest();
    const Timestamp time = Now();
    const UndoOutcome outcome = UndoRewrite(host, point);
    Journal(JournalAction::Undo, point.rewriteId, time, outcome.restored);
    ShowModuleMessage(ToWide(UndoResultText(outcome)),
                      outcome.LeftSome() ? MB_ICONWARNING : MB_ICONINFORMATION);
    return true;
}

// The seat's own journal, and its file in the rule folder while that folder can be reached.
// A journal that cannot be written never undoes or stops what was done.
void RewriteSession::Journal(JournalAction action, const std::string& rewriteId,
                             const Timestamp& time, const std::vector<HoleChange>& holes) {
    const std::u16string computer = ComputerName();
    const RuleLocation& location = rules_.location();
    const std::optional<std::string> rulesInForce = rules_.RulesInForceBytes();
    const JournalAct act{time,
                         Utf8(UserName()),
                         Utf8(computer),
                         action,
                         rewriteId,
                         Utf8(location.file),
                         rulesInForce ? Sha256Hex(*rulesInForce) : ""};
    std::vector<FilePath> journals;
    const FilePath ownFolder = SeatOwnFolder();
    if (ownFolder.empty()) {
        TellJournalFailure(
            u"%LOCALAPPDATA%\\" + FilePath(kSeatFolderName) + u"\\" + kLocalJournalName,
            {FileFault::NotFound, ERROR_PATH_NOT_FOUND});
    } else {
        journals.push_back(ownFolder + u"\\" + kLocalJournalName);
    }
    if (location.configured() && location.usable() &&
        files_.KindOf(location.folder) == FileKind::Folder) {
        const FileStatus made = files_.MakeFolder(JournalFolderIn(location.folder));
        if (made.ok()) {
            journals.push_back(SeatJournalPath(location.folder, computer));
        } else {
            TellJournalFailure(JournalFolderIn(location.folder), made);
        }
    }
    for (const FilePath& path : journals) {
        const FileStatus status = AppendToJournal(files_, path, act, holes);
        if (!status.ok()) TellJournalFailure(path, status);
    }
}

void RewriteSession::TellJournalFailure(const FilePath& path, const FileStatus& status) {
    if (journalFailureTold_) return;
    journalFailureTold_ = true;
    ShowModuleMessage(ToWide(texts::kJournalFailure) + ToWide(path) + L"\r\n" +
                          DescribeWin32Error(status.code) + ToWide(texts::kJournalFailureKept),
                      MB_ICONWARNING);
}

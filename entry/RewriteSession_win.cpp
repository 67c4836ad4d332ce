#include "entry/RewriteSession.h"

#include <windows.h>

#include <lmcons.h>

#include <string>

#include "command/HoleRewrite.h"
#include "command/RewriteJournal.h"
#include "dialogs/ModuleMessages_win.h"
#include "dialogs/PreviewDialog_win.h"
#include "entry/JournalSeat_win.h"
#include "framework/ModalDialog_win.h"
#include "host/KepLib.h"
#include "journal/Sha256.h"
#include "platform/TextEncoding.h"
#include "platform/WideText_win.h"
#include "settings/Registry_win.h"
#include "settings/SeatPlaces_win.h"
#include "settings/Settings.h"
#include "texts/ModuleTexts.h"
#include "texts/RewriteTexts.h"

namespace {

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
    RewriteRecord done = ReadPreviewSetting().on
                             ? RewriteAfterPreview(host, rules_.table())
                             : RewriteSelectedHoles(host, rules_.table(), kRewriteWords);
    if (done.holes.empty()) return;
    Journal(JournalAction::Rewrite, NewRewriteId(), SeatClockNow(), std::move(done.holes));
}

bool RewriteSession::UndoLastRewrite(HoleHost& host) {
    if (!CanUndo()) return false;
    const int32_t noLongerAsLeft = HolesNoLongerAsLeft(host, undo_.Newest());
    if (!AskModuleQuestion(ToWide(UndoQuestionText(undo_.Newest(), noLongerAsLeft)))) {
        return false;
    }
    const UndoPoint point = undo_.TakeNewest();
    const Timestamp time = SeatClockNow();
    UndoOutcome outcome = UndoRewrite(host, point);
    const std::string left = LeftHolesText(outcome);
    Journal(JournalAction::Undo, point.rewriteId, time, std::move(outcome.restored), left);
    ShowModuleMessage(ToWide(UndoResultText(outcome)),
                      outcome.LeftSome() ? MB_ICONWARNING : MB_ICONINFORMATION);
    return true;
}

// The seat's own journal is the record; its file in the rule folder is brought up to date
// from it (journal/SeatJournal.h). A journal that cannot be written never undoes or stops what
// was done. The rows are written behind the command (JournalWriter).
void RewriteSession::Journal(JournalAction action, const std::string& rewriteId,
                             const Timestamp& time, std::vector<HoleChange> holes,
                             const std::string& left) {
    Settle();
    JournalAct act = ActOfThisSeat(action);
    act.time = time;
    act.left = left;
    act.rewriteId = rewriteId;
    if (action == JournalAction::Rewrite) act.actId = rewriteId;
    act.ruleFile = Utf8FromUtf16(rules_.location().file, SurrogateForm::Replaced);
    TableToKeep table;
    if (const std::optional<std::string> rulesInForce = rules_.RulesInForceBytes()) {
        table = {Sha256Hex(*rulesInForce), *rulesInForce};
        act.ruleFileSha256 = table.sha256;
    }
    JournalWriter::Afterwards afterwards;
    if (action == JournalAction::Rewrite) {
        afterwards = [this, time, rewriteId](std::vector<HoleChange> changes) {
            written_ = UndoPointOf(time, rewriteId, std::move(changes));
        };
    }
    journal_.Record(JournalsOfThisSeat(files_, rules_.location()), std::move(act), std::move(table),
                    std::move(holes), std::move(afterwards));
}

// The writing thread has ended once Finish returns, so `written_` is this thread's again.
void RewriteSession::Settle() {
    journal_.Finish();
    if (written_) undo_.Push(std::move(*written_));
    written_.reset();
}

void RewriteSession::CatchUpJournals() {
    ::CatchUpJournals(files_, JournalsOfThisSeat(files_, rules_.location()));
}

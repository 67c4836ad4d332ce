#include "entry/RewriteSession.h"

#include <windows.h>

#include <lmcons.h>

#include <string>

#include "command/HoleCommand.h"
#include "command/RewriteJournal.h"
#include "command/RewritePlan.h"
#include "command/Sha256.h"
#include "dialogs/ModuleMessages_win.h"
#include "dialogs/ModuleTexts.h"
#include "dialogs/PreviewDialog_win.h"
#include "dialogs/RewriteTexts.h"
#include "entry/JournalSeat_win.h"
#include "framework/ModalDialog_win.h"
#include "host/KepLib.h"
#include "platform/FilePaths_win.h"
#include "platform/TextEncoding.h"
#include "platform/WideText_win.h"
#include "settings/Registry_win.h"
#include "settings/Settings.h"

namespace {

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

RewritePreview PreviewOf(const RewritePlan& plan) {
    RewritePreview preview{PlanSummaryText(SummarizePlan(plan)), {}};
    for (const PlannedHole& hole : plan.holes) {
        for (const StepChange& step : hole.change.steps) {
            preview.rows.push_back(PreviewRowTexts(hole.change.holeId, step));
        }
    }
    return preview;
}

// Nothing amended when the user cancels: said on the host's message line.
RewriteRecord RewriteAfterPreview(HoleHost& host, const RuleTable& table) {
    RewritePlan plan = PlanSelectedHoles(host, table, kRewriteWords);
    if (plan.status != PlanStatus::Ready) return {};
    if (!ConfirmRewrite(ActiveOwner(), PreviewOf(plan))) {
        KepMsgPutMessage(reinterpret_cast<const wchar_t*>(texts::kRewriteCancelled));
        return {};
    }
    return ApplyPlan(host, plan, kRewriteWords);
}

}  // namespace

PreviewSetting ReadPreviewSetting() {
    const SettingValues values = ReadSettingValues(kPreviewBeforeRewriteSetting);
    return {IsSwitchedOn(kPreviewBeforeRewriteSetting, values), values.machine.has_value()};
}

void RewriteSession::Rewrite(HoleHost& host) {
    RewriteRecord done = ReadPreviewSetting().on
                             ? RewriteAfterPreview(host, rules_.table())
                             : RewriteSelectedHoles(host, rules_.table(), kRewriteWords);
    if (done.holes.empty()) return;
    const Timestamp time = Now();
    undoPoint_ = UndoPoint{time, NewRewriteId(), std::move(done.holes)};
    Journal(JournalAction::Rewrite, undoPoint_->rewriteId, time, undoPoint_->holes);
}

bool RewriteSession::UndoLastRewrite(HoleHost& host) {
    if (!undoPoint_ || !AskModuleQuestion(ToWide(UndoQuestionText(*undoPoint_)))) return false;
    const UndoPoint point = std::move(*undoPoint_);
    undoPoint_.reset();
    const Timestamp time = Now();
    const UndoOutcome outcome = UndoRewrite(host, point);
    Journal(JournalAction::Undo, point.rewriteId, time, outcome.restored);
    ShowModuleMessage(ToWide(UndoResultText(outcome)),
                      outcome.LeftSome() ? MB_ICONWARNING : MB_ICONINFORMATION);
    return true;
}

void RewriteSession::EditRules(RuleSession& rules, HoleHost& host) {
    const PreviewSetting preview = ReadPreviewSetting();
    RuleListOptions options;
    options.previewBeforeRewrite = preview.on;
    options.previewDecidedByMachine = preview.decidedByMachine;
    if (CanUndo()) {
        options.undoLastRewrite = [this, &host] {
            UndoLastRewrite(host);
            return CanUndo();
        };
    }
    rules.EditInRuleList(std::move(options));
}

// The seat's own journal is the record; its file in the rule folder is brought up to date
// from it (journal/SeatJournal.h). A journal that cannot be written never undoes or stops what
// was done.
void RewriteSession::Journal(JournalAction action, const std::string& rewriteId,
                             const Timestamp& time, const std::vector<HoleChange>& holes) {
    JournalAct act = ActOfThisSeat(action);
    act.time = time;
    act.rewriteId = rewriteId;
    if (action == JournalAction::Rewrite) act.actId = rewriteId;
    act.ruleFile = Utf8FromUtf16(rules_.location().file, SurrogateForm::Replaced);
    TableToKeep table;
    if (const std::optional<std::string> rulesInForce = rules_.RulesInForceBytes()) {
        table = {Sha256Hex(*rulesInForce), *rulesInForce};
        act.ruleFileSha256 = table.sha256;
    }
    TellJournalFailure(RecordAct(files_, JournalsOfThisSeat(files_, rules_.location()), act,
                                 HoleChangeRows(holes), table));
}

void RewriteSession::TellJournalFailure(const std::vector<JournalMiss>& misses) {
    TellJournalMisses(misses);
}

void RewriteSession::CatchUpJournals() {
    ::CatchUpJournals(files_, JournalsOfThisSeat(files_, rules_.location()));
}

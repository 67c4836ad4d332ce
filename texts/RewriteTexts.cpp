#include "texts/RewriteTexts.h"

#include <string_view>

#include "journal/JournalTime.h"
#include "platform/TextEncoding.h"
#include "texts/ModuleTexts.h"
#include "texts/TextFormat.h"

std::u16string ChangedHolesText(int32_t count) {
    return Format(texts::kChangedHoles, count);
}

std::u16string HolesChangedSincePlanText(size_t count, std::u16string_view ids) {
    return Format(texts::kHolesChangedSincePlan, count, ids);
}

std::u16string PlanSummaryText(const ChangeSummary& summary) {
    std::u16string text = Format(texts::kPlanHolesAndSteps, summary.holes, summary.steps);
    if (summary.stepsKeepingValue > 0) {
        text += Format(texts::kPlanStepsKeepingValue, summary.stepsKeepingValue);
    }
    for (size_t i = 0; i < summary.perRule.size(); ++i) {
        text += i == 0 ? u"\r\n" : u", ";
        text += Format(texts::kPlanRuleSteps, summary.perRule[i].rule, summary.perRule[i].steps);
    }
    return text;
}

std::u16string UndoQuestionText(const UndoPoint& point, int32_t holesNoLongerAsLeft) {
    const std::u16string text =
        Format(texts::kUndoQuestion, Utf16FromAscii(LocalTimeText(point.time)), point.holes.size());
    if (holesNoLongerAsLeft == 0) return text + texts::kUndoQuestionNoneChanged;
    return text + Format(texts::kUndoQuestionSomeChanged, holesNoLongerAsLeft);
}

namespace {

// The ids named after a count, at most this many.
constexpr size_t kIdsNamed = 10;

std::u16string IdsLeftFor(const UndoOutcome& outcome, UndoLeft why) {
    std::u16string text;
    size_t named = 0;
    for (const UndoOutcome::LeftHole& hole : outcome.left) {
        if (hole.why != why) continue;
        if (named == kIdsNamed) return text + u", …";
        if (named++ > 0) text += u", ";
        text += DecimalUtf16(hole.holeId);
    }
    return text;
}

}  // namespace

std::u16string UndoResultText(const UndoOutcome& outcome) {
    std::u16string text = Format(texts::kUndoDone, outcome.holesRestored);
    const auto line = [&](UndoLeft why, std::u16string_view reason) {
        const int32_t count = outcome.Count(why);
        if (count > 0) text += Format(reason, count, IdsLeftFor(outcome, why));
    };
    line(UndoLeft::ChangedSince, texts::kUndoChangedSince);
    line(UndoLeft::Excluded, texts::kUndoExcluded);
    line(UndoLeft::Unreadable, texts::kUndoUnreadable);
    line(UndoLeft::Refused, texts::kUndoRefused);
    return text;
}

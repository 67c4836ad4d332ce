#include "dialogs/RewriteTexts.h"

#include <string_view>

#include "command/JournalTime.h"
#include "dialogs/ModuleTexts.h"
#include "platform/TextEncoding.h"

std::u16string PlanSummaryText(const ChangeSummary& summary) {
    std::u16string text = texts::kPlanHoles + DecimalUtf16(summary.holes) + texts::kPlanSteps +
                          DecimalUtf16(summary.steps) + texts::kPlanStepsEnd;
    if (summary.stepsKeepingValue > 0) {
        text += texts::kPlanStepsKeepingValue + DecimalUtf16(summary.stepsKeepingValue) +
                texts::kPlanStepsKeepingValueEnd;
    }
    for (size_t i = 0; i < summary.perRule.size(); ++i) {
        text += i == 0 ? u"\r\n" : u", ";
        text += texts::kPlanRule + DecimalUtf16(summary.perRule[i].rule) + texts::kPlanRuleSteps +
                DecimalUtf16(summary.perRule[i].steps) + texts::kPlanRuleStepsEnd;
    }
    return text;
}

std::u16string UndoQuestionText(const UndoPoint& point, int32_t holesNoLongerAsLeft) {
    std::u16string text = Utf16FromAscii(LocalTimeText(point.time)) + texts::kUndoQuestion +
                          DecimalUtf16(static_cast<int64_t>(point.holes.size())) +
                          texts::kUndoQuestionEnd;
    if (holesNoLongerAsLeft == 0) return text + texts::kUndoQuestionNoneChanged;
    return text + texts::kUndoQuestionSomeChanged + DecimalUtf16(holesNoLongerAsLeft) +
           texts::kUndoQuestionSomeChangedEnd;
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
    std::u16string text =
        texts::kUndoDone + DecimalUtf16(outcome.holesRestored) + texts::kUndoDoneEnd;
    const auto line = [&](UndoLeft why, std::u16string_view reason) {
        const int32_t count = outcome.Count(why);
        if (count == 0) return;
        text += u"\r\n";
        text += texts::kUndoHoles;
        text += DecimalUtf16(count);
        text += reason;
        text += u" (";
        text += IdsLeftFor(outcome, why);
        text += u").";
    };
    line(UndoLeft::ChangedSince, texts::kUndoChangedSince);
    line(UndoLeft::Excluded, texts::kUndoExcluded);
    line(UndoLeft::Unreadable, texts::kUndoUnreadable);
    line(UndoLeft::Refused, texts::kUndoRefused);
    return text;
}

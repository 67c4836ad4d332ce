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

std::u16string UndoQuestionText(const UndoPoint& point) {
    return Utf16FromAscii(LocalTimeText(point.time)) + texts::kUndoQuestion +
           DecimalUtf16(static_cast<int64_t>(point.holes.size())) + texts::kUndoQuestionEnd;
}

std::u16string UndoResultText(const UndoOutcome& outcome) {
    std::u16string text =
        texts::kUndoDone + DecimalUtf16(outcome.holesRestored) + texts::kUndoDoneEnd;
    const auto line = [&text](int32_t count, std::u16string_view what, std::u16string_view why) {
        if (count == 0) return;
        text += u"\r\n";
        text += what;
        text += DecimalUtf16(count);
        text += why;
    };
    line(outcome.stepsChangedSince, texts::kUndoSteps, texts::kUndoChangedSince);
    line(outcome.holesExcluded, texts::kUndoHoles, texts::kUndoExcluded);
    line(outcome.holesUnreadable, texts::kUndoHoles, texts::kUndoUnreadable);
    line(outcome.holesRefused, texts::kUndoHoles, texts::kUndoRefused);
    return text;
}

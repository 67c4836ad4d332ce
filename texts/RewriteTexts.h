// What the user is told around a rewrite: the host messages of the rewrite itself, the
// preview's summary of a plan, and the undo's question and outcome. Composed without a window, so
// that the wording is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "command/HoleChange.h"
#include "command/RewriteUndo.h"
#include "command/RewriteWords.h"
#include "texts/ModuleTexts.h"

// "총 N개의 구멍을 수정하였습니다."
std::u16string ChangedHolesText(int32_t count);
// "미리 보기 뒤에 바뀌었거나 없어진 구멍 N개는 그대로 두었습니다: " and the ids named.
std::u16string HolesChangedSincePlanText(size_t count, std::u16string_view ids);

// The module's words for what the rewrite tells the host as it goes.
inline constexpr RewriteWords kRewriteWords{
    .noMatchingHole = texts::kNoMatchingHole,
    .cannotReadHole = texts::kCannotReadHole,
    .cannotAmendHole = texts::kCannotAmendHole,
    .errorOccurred = texts::kErrorOccurred,
    .changedHoles = ChangedHolesText,
    .holesChangedSincePlan = HolesChangedSincePlanText,
};

// "구멍 2개, 단계 3개를 바꿉니다", " (그중 단계 1개는 값이 그대로)" when some keep their value,
// and on a second line "규칙 1: 단계 2개, 규칙 7: 단계 1개".
std::u16string PlanSummaryText(const ChangeSummary& summary);

// "2024-05-01 14:03:07에 바꾼 구멍 3개를 되돌리겠습니까?" with how many of them are no longer as
// the rewrite left them.
std::u16string UndoQuestionText(const UndoPoint& point, int32_t holesNoLongerAsLeft);
// "구멍 N개를 되돌렸습니다." and, when some were left, per reason how many and which.
std::u16string UndoResultText(const UndoOutcome& outcome);

// What the user is told around a rewrite: the preview's summary of a plan, and the undo's
// question and outcome. Composed without a window, so that the wording is tested natively.
#pragma once

#include <string>

#include "command/RewritePlan.h"
#include "command/RewriteUndo.h"

// "구멍 2개, 단계 3개를 바꿉니다" and, on a second line, "규칙 1: 단계 2개, 규칙 7: 단계 1개".
std::u16string PlanSummaryText(const ChangeSummary& summary);

// "2024-05-01 14:03:07에 바꾼 구멍 3개를 되돌리겠습니까?" with what is left as it is.
std::u16string UndoQuestionText(const UndoPoint& point);
// "구멍 N개를 되돌렸습니다." and, when some were left, how many and why.
std::u16string UndoResultText(const UndoOutcome& outcome);

// "Master Setting": the editor of one rule. It never changes the rule table and never reads
// or writes the registry: it starts from the values it is given and hands back the values
// 적용 accepted. 적용 accepts only values it can read (CheckEditorValues); otherwise it says
// which field it cannot take and puts the focus there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "rules/RuleTable.h"

// The rule an editor works on: a rule of the table by its number, or a new rule with the
// values it starts from.
struct EditedRule {
    std::optional<int32_t> number;  // nothing for a new rule
    HoleRule newRule;               // a new rule's values to start from

    static EditedRule Existing(int32_t n) { return {n, {}}; }
    static EditedRule New(HoleRule start) { return {std::nullopt, std::move(start)}; }
};

// Runs the editor modally over `owner`. A rule of the table starts as the table holds it (its
// flag as 1 or 0); a number outside the table starts from blank fields. The values as 적용
// accepted them; nothing after 취소, Esc, the close box, or when the dialog could not be shown.
std::optional<HoleRule> EditRule(HWND owner, const RuleTable& rules, EditedRule start);

// What the rule list dialog shows and decides that needs no window: the range texts of
// its rows and when a confirmed list saves the rule file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rules/RuleFields.h"

// Compares ignoring the case of the Latin letters A-Z; other characters compare exactly.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

// "From" alone when To is empty or equals From ignoring case, else "From-To".
std::u16string RangeText(std::u16string_view from, std::u16string_view to);

// The text of list column `column` (1 to kRuleListTextColumns of dialogs/DialogFields.h) for
// the rule: its one field, or the RangeText of its From and To fields.
std::u16string RuleListColumnText(const HoleRule& rule, int column);

// A rule list confirmed with its OK button saves the table when it holds rules now, or held
// some when the list opened (the user deleted them all). A table that was empty and still
// is leaves the file as it is.
bool ConfirmedListSaves(int32_t countAtOpen, int32_t countNow);

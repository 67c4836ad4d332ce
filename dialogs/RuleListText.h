// What the rule list dialog shows and decides that needs no window: the range texts of
// its rows and when a confirmed list saves the rule file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "rules/RuleFields.h"

// Compares ignoring the case of the Latin letters A-Z; other characters compare exactly.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

// "From" alone when To is empty or equals From ignoring case, else "From-To".
std::u16string RangeText(std::u16string_view from, std::u16string_view to);

// The list column that shows each rule field, in the order of kRuleFields: the flag is the
// check box of column 0; a From field and its To field share a column as a range.
inline constexpr std::array<int, kRuleFieldCount> kRuleListColumnOf{0, 1, 1, 2, 2, 3};
inline constexpr int kRuleListTextColumns = 3;  // columns 1 to 3

// The text of list column `column` (1 to kRuleListTextColumns) for the rule: its one field,
// or the RangeText of its From and To fields.
std::u16string RuleListColumnText(const HoleRule& rule, int column);

// A rule list confirmed with its OK button saves the table when it holds rules now, or held
// some when the list opened (the user deleted them all). A table that was empty and still
// is leaves the file as it is.
bool ConfirmedListSaves(int32_t countAtOpen, int32_t countNow);

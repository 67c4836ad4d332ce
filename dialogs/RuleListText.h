// What the rule list dialog shows and decides that needs no window: the range texts of
// its rows and when a confirmed dialog saves the rule file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int kDialogResultOk = 1;  // the dialog ended through its OK button
inline constexpr char16_t kConfirmMark[] = u"LabelNew";

// Compares ignoring the case of the Latin letters A-Z; other characters compare exactly.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

// "From" alone when To is empty or equals From ignoring case, else "From-To".
std::u16string RangeText(std::u16string_view from, std::u16string_view to);

// A dialog confirmed with its OK button saves the table when it holds rules now, or held
// some when the dialog opened (the user deleted them all). A table that was empty and
// still is leaves the file as it is.
bool ShouldSaveRuleFile(int dialogResult, std::u16string_view confirmMark, int32_t countAtOpen,
                        int32_t countNow);

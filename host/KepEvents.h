// The event codes the host passes to the command's execute callback, and what the callback
// answers: shared by the module and by every test host that drives it.
#pragma once

#include <cstdint>

inline constexpr int32_t kEventRewrite = 0;   // rewrite the selected holes
inline constexpr int32_t kEventRuleList = 7;  // edit the rules in the rule list
inline constexpr int32_t kEventHandled = 0;
inline constexpr int32_t kEventNotHandled = 3;  // an event the command does not know

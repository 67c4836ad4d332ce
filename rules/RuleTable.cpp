#include "rules/RuleTable.h"

bool RuleTable::Append(const HoleRule& rule) {
    if (IsFull()) return false;
    ++count_;
    slots_[static_cast<size_t>(count_)] = rule;
    return true;
}

void RuleTable::Replace(int32_t n, const HoleRule& rule) {
    if (n < 1 || n > count_) return;
    slots_[static_cast<size_t>(n)] = rule;
}

void RuleTable::Remove(int32_t n) {
    if (n < 1 || n > count_) return;
    for (int32_t j = n; j < count_; ++j) {
        slots_[static_cast<size_t>(j)] = slots_[static_cast<size_t>(j + 1)];
    }
    --count_;
}

void RuleTable::SetEnabled(int32_t n, bool enabled) {
    if (n < 1 || n > count_) return;
    slots_[static_cast<size_t>(n)].enabled = enabled ? 1 : 0;
}

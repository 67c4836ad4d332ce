#include "rules/RuleTable.h"

#include <utility>

bool RuleTable::Append(const HoleRule& rule) {
    return Append(HoleRule(rule));
}

bool RuleTable::Append(HoleRule&& rule) {
    if (IsFull()) return false;
    if (slots_.size() > static_cast<size_t>(count_)) {
        slots_[static_cast<size_t>(count_)] = std::move(rule);
    } else {
        slots_.push_back(std::move(rule));
    }
    ++count_;
    return true;
}

HoleRule* RuleTable::AppendEmpty() {
    if (IsFull()) return nullptr;
    if (slots_.size() == static_cast<size_t>(count_)) {
        slots_.emplace_back();
        return &slots_[static_cast<size_t>(count_++)];
    }
    HoleRule& rule = slots_[static_cast<size_t>(count_++)];
    rule.enabled = 0;
    for (RuleText* text : {&rule.CodeFrom, &rule.CodeTo, &rule.DiameterFrom, &rule.DiameterTo,
                           &rule.DiameterModify}) {
        text->clear();
    }
    return &rule;
}

void RuleTable::Replace(int32_t n, const HoleRule& rule) {
    if (n < 1 || n > count_) return;
    slots_[static_cast<size_t>(n - 1)] = rule;
}

void RuleTable::Remove(int32_t n) {
    if (n < 1 || n > count_) return;
    for (int32_t j = n; j < count_; ++j) {
        slots_[static_cast<size_t>(j - 1)] = slots_[static_cast<size_t>(j)];
    }
    --count_;
}

void RuleTable::SetEnabled(int32_t n, bool enabled) {
    if (n < 1 || n > count_) return;
    slots_[static_cast<size_t>(n - 1)].enabled = enabled ? 1 : 0;
}

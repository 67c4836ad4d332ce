#include "rules/RuleLines.h"

#include <cstdint>

#include "rules/RuleFields.h"
#include "rules/RuleText.h"
#include "rules/Utf16Words.h"

namespace {

constexpr size_t kTabsPerRule = kRuleFieldCount - 1;

std::u16string_view WithoutSpacesAtEnds(std::u16string_view field) {
    while (!field.empty() && field.front() == u' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == u' ') field.remove_suffix(1);
    return field;
}

// Whether a flag reads as the integer 1. A file the module wrote has one digit there, which
// needs no parsing.
bool ReadsAsOne(std::u16string_view flag) {
    if (flag.size() == 1) return flag.front() == u'1';
    return ParseCode(flag) == 1;
}

}  // namespace

bool IsDroppedBySave(RuleLineKind kind) {
    switch (kind) {
        case RuleLineKind::Comment:
        case RuleLineKind::OtherFieldCount:
        case RuleLineKind::Beyond49:
            return true;
        case RuleLineKind::Rule:
        case RuleLineKind::RuleNotInForce:
        case RuleLineKind::Blank:
            break;
    }
    return false;
}

RuleLineReader::RuleLineReader(std::u16string_view text, RuleTable& table)
    : text_(text), table_(&table) {
    table.Clear();
}

bool RuleLineReader::Next(RuleLine& line) {
    const size_t size = text_.size();
    if (position_ >= size) return false;
    const char16_t* const data = text_.data();
    const size_t start = position_;
    size_t tabs[kTabsPerRule] = {};
    size_t tabCount = 0;
    size_t end = size;
    // The one pass over the line: only TABs and line ends are looked at one by one, every one
    // of a word before the next word is read.
    for (size_t word = start; word < end; word += utf16_words::kUnitsPerWord) {
        for (uint64_t separators = utf16_words::SeparatorsOfWord(data, word, size); separators != 0;
             separators &= separators - 1) {
            const size_t at = word + utf16_words::FirstUnitOf(separators);
            const char16_t c = data[at];
            if (c != u'\t') {
                end = at;  // CR or LF
                break;
            }
            if (tabCount < kTabsPerRule) tabs[tabCount] = at;
            ++tabCount;
        }
    }
    position_ = end + 1;
    if (end + 1 < size && data[end] == u'\r' && data[end + 1] == u'\n') ++position_;

    line = RuleLine{};
    line.number = ++number_;
    line.text = std::u16string_view(data + start, end - start);
    line.fields = static_cast<int32_t>(tabCount + 1);
    if (tabCount == 0) {
        line.kind = IsBlankText(line.text) ? RuleLineKind::Blank : RuleLineKind::Comment;
    } else if (tabCount != kTabsPerRule) {
        line.kind = RuleLineKind::OtherFieldCount;
    } else {
        const size_t lastStart = tabs[kTabsPerRule - 1] + 1;
        line.lastField = std::u16string_view(data + lastStart, end - lastStart);
        if (rules_ == RuleTable::kCapacity) {
            line.kind = RuleLineKind::Beyond49;
        } else {
            line.kind = RuleLineKind::Rule;
            line.rule = ++rules_;
            if (table_) ReadRule(tabs, end, line);
        }
    }
    return true;
}

void RuleLineReader::ReadRule(const size_t (&tabs)[kTabsPerRule], size_t end, RuleLine& line) {
    // Filled in place: a table read again reuses its texts' memory.
    HoleRule* const rule = table_->AppendEmpty();
    if (rule == nullptr) return;  // the table was filled behind the reader's back
    const char16_t* const lineStart = line.text.data();
    const char16_t* const data = text_.data();
    for (const RuleFieldInfo& field : kRuleFields) {
        const size_t k = field.position();
        const char16_t* const from = k == 0 ? lineStart : data + tabs[k - 1] + 1;
        const char16_t* const to = data + (k == kTabsPerRule ? end : tabs[k]);
        const std::u16string_view text(from, static_cast<size_t>(to - from));
        if (field.kind == RuleFieldKind::Flag) {
            rule->enabled = ReadsAsOne(text) ? 1 : 0;
        } else if (field.field == RuleField::DiameterModify) {
            rule->DiameterModify.assign(WithoutSpacesAtEnds(text));
        } else {
            (rule->*field.text).assign(text);
        }
    }
    if (rule->enabled != 0) line.fault = ReadNewDiameter(rule->DiameterModify).fault;
    if (line.fault != NewDiameterFault::None) line.kind = RuleLineKind::RuleNotInForce;
}

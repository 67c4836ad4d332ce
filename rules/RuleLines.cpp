#include "rules/RuleLines.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "rules/RuleFields.h"
#include "rules/RuleText.h"

namespace {

constexpr size_t kTabsPerRule = kRuleFieldCount - 1;

std::u16string_view WithoutSpacesAtEnds(std::u16string_view field) {
    while (!field.empty() && field.front() == u' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == u' ') field.remove_suffix(1);
    return field;
}

// The first unit from `from` on that is a TAB, a line end or another control character
// below CR, or `size`. Four units are tested at once where they can be: a 16-bit lane below
// 0x0E sets its top bit in (units - 0x0E in every lane) & ~units. A borrow can set it in a
// lane above one that is below 0x0E, never in a lane beneath: the lowest lane set is the
// unit. Few comparisons per unit matter when every comparison is traced (fuzzing).
size_t NextLowUnit(const char16_t* data, size_t from, size_t size) {
    constexpr uint64_t kEveryLane = 0x0001000100010001;
    constexpr uint64_t kTopBits = 0x8000800080008000;
    constexpr bool kFirstUnitInLowBits = std::endian::native == std::endian::little;
    while (from + 4 <= size) {
        uint64_t units = 0;
        std::memcpy(&units, data + from, sizeof units);
        const uint64_t low = (units - kEveryLane * 0x0E) & ~units & kTopBits;
        if (low != 0) {
            if constexpr (kFirstUnitInLowBits) return from + std::countr_zero(low) / 16;
            break;
        }
        from += 4;
    }
    while (from < size && data[from] > u'\r') ++from;
    return from;
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
    size_t end = start;
    // The one pass over the line: only TABs and line ends are looked at one by one.
    for (end = NextLowUnit(data, end, size); end < size; end = NextLowUnit(data, end + 1, size)) {
        const char16_t c = data[end];
        if (c == u'\t') {
            if (tabCount < kTabsPerRule) tabs[tabCount] = end;
            ++tabCount;
        } else if (c == u'\r' || c == u'\n') {
            break;
        }
    }
    position_ = end + 1;
    if (end + 1 < size && data[end] == u'\r' && data[end + 1] == u'\n') ++position_;

    line = RuleLine{};
    line.number = ++number_;
    line.text = text_.substr(start, end - start);
    line.fields = static_cast<int32_t>(tabCount + 1);
    if (tabCount == 0) {
        line.kind = IsBlankText(line.text) ? RuleLineKind::Blank : RuleLineKind::Comment;
    } else if (tabCount != kTabsPerRule) {
        line.kind = RuleLineKind::OtherFieldCount;
    } else {
        line.lastField = text_.substr(tabs[kTabsPerRule - 1] + 1, end - tabs[kTabsPerRule - 1] - 1);
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
    const size_t lineStart = static_cast<size_t>(line.text.data() - text_.data());
    HoleRule rule;
    for (const RuleFieldInfo& field : kRuleFields) {
        const size_t k = field.position();
        const size_t from = k == 0 ? lineStart : tabs[k - 1] + 1;
        const size_t to = k == kTabsPerRule ? end : tabs[k];
        std::u16string_view text = text_.substr(from, to - from);
        if (field.kind == RuleFieldKind::Flag) {
            text = ParseCode(text) == 1 ? u"1" : u"0";
        } else if (field.field == RuleField::DiameterModify) {
            text = WithoutSpacesAtEnds(text);
        }
        SetFieldText(rule, field, text);
    }
    if (rule.enabled != 0) line.fault = ReadNewDiameter(rule.DiameterModify).fault;
    if (line.fault != NewDiameterFault::None) line.kind = RuleLineKind::RuleNotInForce;
    table_->Append(std::move(rule));
}

// A rule's six fields, described once: where each stands in a rule file line, its CSV column
// and JSON key, its Korean label, how its text is read, and how to get and set it in a
// HoleRule. Every reader and writer of rules walks this table instead of naming the fields.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "rules/RuleTable.h"

// In file order: the position in a rule file line is the enumerator's value.
enum class RuleField { Enabled, CodeFrom, CodeTo, DiameterFrom, DiameterTo, DiameterModify };

enum class RuleFieldKind {
    Flag,      // on or off, written "1" or "0"
    Code,      // read as a 32-bit integer
    Diameter,  // read as a decimal number
};

struct RuleFieldInfo {
    RuleField field;
    std::string_view csvColumn;  // also the JSON key of the field in a rule object
    std::string_view label;      // as the workbench names the field in its messages
    RuleFieldKind kind;
    // The To fields: a text without a number reads 0, which means "the From value alone".
    bool emptyMeansSingleValue;
    RuleText HoleRule::*text;  // nothing for the flag, which is not a text

    constexpr size_t position() const { return static_cast<size_t>(field); }
    constexpr bool IsCode() const { return kind == RuleFieldKind::Code; }
};

inline constexpr std::array<RuleFieldInfo, 6> kRuleFields{{
    {RuleField::Enabled, "enabled", "사용", RuleFieldKind::Flag, false, nullptr},
    {RuleField::CodeFrom, "code_from", "가공코드 From", RuleFieldKind::Code, false,
     &HoleRule::CodeFrom},
    {RuleField::CodeTo, "code_to", "가공코드 To", RuleFieldKind::Code, true, &HoleRule::CodeTo},
    {RuleField::DiameterFrom, "diameter_from", "구멍경(대상) From", RuleFieldKind::Diameter, false,
     &HoleRule::DiameterFrom},
    {RuleField::DiameterTo, "diameter_to", "구멍경(대상) To", RuleFieldKind::Diameter, true,
     &HoleRule::DiameterTo},
    {RuleField::DiameterModify, "diameter_modify", "구멍경(수정)", RuleFieldKind::Diameter, false,
     &HoleRule::DiameterModify},
}};

inline constexpr size_t kRuleFieldCount = kRuleFields.size();

// The fields after the flag: the five texts.
inline constexpr std::span<const RuleFieldInfo> RuleTextFields() {
    return std::span(kRuleFields).subspan(1);
}

const RuleFieldInfo& InfoOf(RuleField field);

// The field's text; the flag as "1" (any nonzero value) or "0".
RuleText FieldText(const HoleRule& rule, const RuleFieldInfo& field);
// Sets the field from its text; the flag is on only for the exact text "1".
void SetFieldText(HoleRule& rule, const RuleFieldInfo& field, std::u16string_view text);

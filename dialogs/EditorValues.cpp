#include "dialogs/EditorValues.h"

#include "rules/CompiledRules.h"
#include "rules/RuleText.h"

namespace {

// The rows follow the rule fields one for one.
constexpr bool RowsFollowTheFields() {
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        if (kEditorValueRows[row].field != kRuleFields[row].field) return false;
        if (&kEditorValueRows[row].setting != &kRememberedEditorValues[row]) return false;
    }
    return true;
}
static_assert(RowsFollowTheFields());

}  // namespace

std::u16string StoredText(const HoleRule& values, size_t row) {
    return row < kRuleFields.size() ? FieldText(values, kRuleFields[row]) : std::u16string();
}

void TakeStoredText(HoleRule& values, size_t row, std::u16string_view text) {
    if (row < kRuleFields.size()) SetFieldText(values, kRuleFields[row], text);
}

HoleRule DefaultEditorValues() {
    HoleRule values;
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        TakeStoredText(values, row, kEditorValueRows[row].setting.defaultText);
    }
    return values;
}

namespace {

struct FieldRule {
    EditorField field;
    std::u16string_view name;
    bool isCode;
};

std::u16string Quoted(std::u16string_view name, std::u16string_view text) {
    return std::u16string(name) + u" \"" + std::u16string(text) + u"\"";
}

EditorRefusal Refuse(const FieldRule& rule, std::u16string message) {
    return {rule.field, std::move(message)};
}

EditorRefusal NotANumber(const FieldRule& rule, std::u16string_view text) {
    return Refuse(rule, Quoted(rule.name, text) +
                            (rule.isCode ? u"을(를) 숫자로 읽을 수 없습니다.\r\n가공코드는 "
                                           u"정수로 입력하십시오."
                                         : u"을(를) 숫자로 읽을 수 없습니다.\r\n지름은 "
                                           u"숫자로 입력하십시오. 소수점은 마침표(.)입니다."));
}

// The range fields: blank (the single-value form for a To field) or one number.
std::optional<EditorRefusal> CheckRangeField(const FieldRule& rule, std::u16string_view text) {
    const TextReading reading = rule.isCode ? ReadCode(text).reading : ReadDiameter(text).reading;
    if (reading == TextReading::Number || reading == TextReading::Blank) return std::nullopt;
    return NotANumber(rule, text);
}

// The new diameter: one number, which the rewrite puts in force.
std::optional<EditorRefusal> CheckNewDiameter(const FieldRule& rule, std::u16string_view text) {
    if (ReadDiameter(text).reading == TextReading::PartialNumber) return NotANumber(rule, text);
    switch (ReadNewDiameter(text).fault) {
        case NewDiameterFault::None:
            return std::nullopt;
        case NewDiameterFault::Blank:
            return Refuse(rule, std::u16string(rule.name) +
                                    u"이(가) 비어 있습니다.\r\n구멍에 쓸 지름을 0.0001부터 "
                                    u"100000까지의 숫자로 입력하십시오.");
        case NewDiameterFault::NoNumber:
        case NewDiameterFault::PartialNumber:
            return NotANumber(rule, text);
        case NewDiameterFault::NotFinite:
            return Refuse(rule, Quoted(rule.name, text) +
                                    u"은(는) 너무 커서 지름으로 쓸 수 없습니다.\r\n0.0001부터 "
                                    u"100000까지의 지름을 입력하십시오.");
        case NewDiameterFault::Implausible:
            break;
    }
    return Refuse(rule, Quoted(rule.name, text) +
                            u"은(는) 구멍 지름일 수 없어 쓸 수 없습니다.\r\n0.0001부터 "
                            u"100000까지의 지름을 입력하십시오.");
}

}  // namespace

std::optional<EditorRefusal> CheckEditorValues(const HoleRule& values) {
    for (const RuleFieldInfo& field : RuleTextFields()) {
        const FieldRule rule{field.field, kEditorValueRows[field.position()].label, field.IsCode()};
        const std::u16string_view text = values.*field.text;
        auto refusal = field.field == EditorField::DiameterModify ? CheckNewDiameter(rule, text)
                                                                  : CheckRangeField(rule, text);
        if (refusal) return refusal;
    }
    return std::nullopt;
}

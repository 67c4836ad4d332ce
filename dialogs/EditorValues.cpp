#include "dialogs/EditorValues.h"

#include "dialogs/DialogFields.h"
#include "rules/CompiledRules.h"
#include "rules/RuleText.h"
#include "texts/ModuleTexts.h"
#include "texts/TextFormat.h"

std::u16string StoredText(const HoleRule& values, size_t row) {
    return row < kRuleFields.size() ? FieldText(values, kRuleFields[row]) : std::u16string();
}

void TakeStoredText(HoleRule& values, size_t row, std::u16string_view text) {
    if (row < kRuleFields.size()) SetFieldText(values, kRuleFields[row], text);
}

HoleRule DefaultEditorValues() {
    HoleRule values;
    for (size_t row = 0; row < kDialogFields.size(); ++row) {
        TakeStoredText(values, row, kDialogFields[row].defaultText());
    }
    return values;
}

namespace {

struct FieldRule {
    EditorField field;
    std::u16string_view name;
    bool isCode;
};

EditorRefusal Refuse(const FieldRule& rule, std::u16string message) {
    return {rule.field, std::move(message)};
}

EditorRefusal NotANumber(const FieldRule& rule, std::u16string_view text) {
    return Refuse(rule, Format(rule.isCode ? texts::kCodeNotANumber : texts::kDiameterNotANumber,
                               rule.name, text));
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
            return Refuse(rule, Format(texts::kNewDiameterBlank, rule.name, kSmallestNewDiameter,
                                       kLargestNewDiameter));
        case NewDiameterFault::NoNumber:
        case NewDiameterFault::PartialNumber:
            return NotANumber(rule, text);
        case NewDiameterFault::NotFinite:
            return Refuse(rule, Format(texts::kNewDiameterTooLarge, rule.name, text,
                                       kSmallestNewDiameter, kLargestNewDiameter));
        case NewDiameterFault::Implausible:
            break;
    }
    return Refuse(rule, Format(texts::kNewDiameterImplausible, rule.name, text,
                               kSmallestNewDiameter, kLargestNewDiameter));
}

}  // namespace

std::optional<EditorRefusal> CheckEditorValues(const HoleRule& values) {
    for (const RuleFieldInfo& field : RuleTextFields()) {
        const FieldRule rule{field.field, DialogFieldOf(field.field).label, field.IsCode()};
        const std::u16string_view text = values.*field.text;
        auto refusal = field.field == EditorField::DiameterModify ? CheckNewDiameter(rule, text)
                                                                  : CheckRangeField(rule, text);
        if (refusal) return refusal;
    }
    return std::nullopt;
}

#include "rules/RuleFields.h"

const RuleFieldInfo& InfoOf(RuleField field) {
    return kRuleFields[static_cast<size_t>(field)];
}

RuleText FieldText(const HoleRule& rule, const RuleFieldInfo& field) {
    if (field.text == nullptr) return rule.enabled != 0 ? u"1" : u"0";
    return rule.*field.text;
}

void SetFieldText(HoleRule& rule, const RuleFieldInfo& field, std::u16string_view text) {
    if (field.text == nullptr) {
        rule.enabled = text == u"1" ? 1 : 0;
        return;
    }
    (rule.*field.text).assign(text);
}

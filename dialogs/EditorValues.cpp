#include "dialogs/EditorValues.h"

#include <cmath>

#include "rules/CompiledRules.h"
#include "rules/RuleText.h"

namespace {

// The rows follow the rule fields one for one.
constexpr bool RowsFollowTheFields() {
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        if (kEditorValueRows[row].field != kRuleFields[row].field) return false;
    }
    return true;
}
static_assert(RowsFollowTheFields());

}  // namespace

std::u16string MakeKeyPath(std::u16string_view subKeyName) {
    std::u16string path(kEditorKeyPrefix);
    path += subKeyName;
    return path;
}

std::u16string StoredText(const HoleRule& values, size_t row) {
    return row < kRuleFields.size() ? FieldText(values, kRuleFields[row]) : std::u16string();
}

void TakeStoredText(HoleRule& values, size_t row, std::u16string_view text) {
    if (row < kRuleFields.size()) SetFieldText(values, kRuleFields[row], text);
}

HoleRule DefaultEditorValues() {
    HoleRule values;
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        TakeStoredText(values, row, kEditorValueRows[row].defaultText);
    }
    return values;
}

std::u16string DecodeRegistryText(std::span<const unsigned char> bytes) {
    std::u16string text;
    // An odd last byte is half a code unit and is dropped.
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == u'\0') break;
        text.push_back(unit);
    }
    return text;
}

namespace {

struct FieldRule {
    EditorField field;
    std::u16string_view name;
    bool isCode;
};

// The white space the number readers skip before a number.
bool IsBlank(std::u16string_view text) {
    return text.find_first_not_of(u" \t\n\v\f\r") == std::u16string_view::npos;
}

std::u16string Quoted(std::u16string_view name, std::u16string_view text) {
    return std::u16string(name) + u" \"" + std::u16string(text) + u"\"";
}

EditorRefusal Refuse(const FieldRule& rule, std::u16string message) {
    return {rule.field, std::move(message)};
}

std::optional<EditorRefusal> CheckField(const FieldRule& rule, std::u16string_view text) {
    const bool isNewDiameter = rule.field == EditorField::DiameterModify;
    if (IsBlank(text)) {
        if (!isNewDiameter) return std::nullopt;
        return Refuse(rule, std::u16string(rule.name) +
                                u"이(가) 비어 있습니다.\r\n구멍에 쓸 지름을 0보다 큰 숫자로 "
                                u"입력하십시오.");
    }
    const size_t length =
        rule.isCode ? ReadCodePrefix(text).length : ReadDiameterPrefix(text).length;
    if (length == 0 || !IsBlank(text.substr(length))) {
        return Refuse(rule, Quoted(rule.name, text) +
                                (rule.isCode ? u"을(를) 숫자로 읽을 수 없습니다.\r\n가공코드는 "
                                               u"정수로 입력하십시오."
                                             : u"을(를) 숫자로 읽을 수 없습니다.\r\n지름은 "
                                               u"숫자로 입력하십시오. 소수점은 마침표(.)입니다."));
    }
    if (!isNewDiameter) return std::nullopt;
    const double diameter = ReadDiameterPrefix(text).value;
    if (std::isinf(diameter)) {
        return Refuse(rule, Quoted(rule.name, text) +
                                u"은(는) 너무 커서 지름으로 쓸 수 없습니다.\r\n0보다 큰 "
                                u"지름을 입력하십시오.");
    }
    if (!IsUsableNewDiameter(diameter)) {
        return Refuse(rule, Quoted(rule.name, text) +
                                u"은(는) 0보다 크지 않아 지름으로 쓸 수 없습니다.\r\n0보다 큰 "
                                u"지름을 입력하십시오.");
    }
    return std::nullopt;
}

}  // namespace

std::optional<EditorRefusal> CheckEditorValues(const HoleRule& values) {
    for (const RuleFieldInfo& field : RuleTextFields()) {
        const FieldRule rule{field.field, kEditorValueRows[field.position()].label, field.IsCode()};
        if (auto refusal = CheckField(rule, values.*field.text)) return refusal;
    }
    return std::nullopt;
}

#include "texts/RuleFolderText.h"

#include <iterator>
#include <string_view>

#include "platform/TextEncoding.h"
#include "texts/ModuleTexts.h"
#include "texts/TextFormat.h"

namespace {

// The texts as stored: a To equal to its From, in any case but the same, is still shown.
std::u16string Range(const RuleText& from, const RuleText& to) {
    return to.empty() || to == from ? from : from + u"-" + to;
}

}  // namespace

std::u16string RegistryTypeName(uint32_t type) {
    static constexpr std::u16string_view kNames[] = {u"REG_NONE",
                                                     u"REG_SZ",
                                                     u"REG_EXPAND_SZ",
                                                     u"REG_BINARY",
                                                     u"REG_DWORD",
                                                     u"REG_DWORD_BIG_ENDIAN",
                                                     u"REG_LINK",
                                                     u"REG_MULTI_SZ",
                                                     u"REG_RESOURCE_LIST",
                                                     u"REG_FULL_RESOURCE_DESCRIPTOR",
                                                     u"REG_RESOURCE_REQUIREMENTS_LIST",
                                                     u"REG_QWORD"};
    if (type < std::size(kNames)) return std::u16string(kNames[type]);
    return Format(texts::kRegistryTypeNumber, type);
}

std::u16string RuleFolderFaultText(const RuleLocation& location) {
    const std::u16string name = RuleFolderSettingName(location.source);
    const std::u16string type = RegistryTypeName(location.value.type);
    const std::u16string& value = location.value.text;
    switch (location.fault) {
        case RuleFolderFault::None:
            break;
        case RuleFolderFault::NotText:
            return Format(texts::kSettingNotText, name, type);
        case RuleFolderFault::Empty:
            return Format(texts::kSettingEmpty, name, type, value);
        case RuleFolderFault::Relative:
            return Format(texts::kSettingRelative, name, type, value);
        case RuleFolderFault::UnexpandedVariable:
            return Format(location.value.type == static_cast<uint32_t>(RegistryType::ExpandableText)
                              ? texts::kVariableUndefined
                              : texts::kVariableInPlainText,
                          name, type, value, location.variable);
    }
    return {};
}

std::u16string RuleShortText(const HoleRule& rule) {
    std::u16string text = Range(rule.CodeFrom, rule.CodeTo) + u", " +
                          Range(rule.DiameterFrom, rule.DiameterTo) + u" → " + rule.DiameterModify;
    if (rule.enabled == 0) text += texts::kRuleOff;
    return text;
}

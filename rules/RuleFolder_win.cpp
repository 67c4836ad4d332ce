#include "rules/RuleFolder_win.h"

#include "platform/RegistrySetting.h"

namespace {

std::optional<RuleFolderValue> ValueIn(HKEY root) {
    const std::optional<RegistryValue> value = RuleFolderValueIn(root);
    if (!value) return std::nullopt;
    return RuleFolderValue{value->type, value->text, value->expanded};
}

}  // namespace

RuleFolderValues ReadRuleFolderValues() {
    return {ValueIn(HKEY_LOCAL_MACHINE), ValueIn(HKEY_CURRENT_USER)};
}

// The words about the rule folder that the module and the workbench share: why a rule
// folder setting cannot be used, and a rule named in short where the rules this seat saved
// were replaced elsewhere. The rules layer reports the facts (RuleFolderFault, the registry
// type, the rule); these are the words shown for them.
#pragma once

#include <cstdint>
#include <string>

#include "rules/RuleFolder.h"
#include "rules/RuleTable.h"

// "REG_DWORD", ..., "유형 <n>" for a type without a name.
std::u16string RegistryTypeName(uint32_t type);

// Why the location's value cannot be used, naming the value; empty when it can.
std::u16string RuleFolderFaultText(const RuleLocation& location);

// "101-199, 8.1-8.99 → 8.5" and " (꺼짐)" for a rule that is off: a rule by its codes and
// diameters, for people.
std::u16string RuleShortText(const HoleRule& rule);

// The "RuleFolder" values of this computer, read from the registry at each call, so that a
// changed setting takes effect without restarting the host.
#pragma once

#include "rules/RuleFolder.h"

RuleFolderValues ReadRuleFolderValues();

#include "dialogs/RuleListCommand.h"

#include "entry/HoleCommand.h"

// Placeholder until the rule list dialog exists: the event is accepted and nothing happens.
int32_t RunRuleListCommand() {
    return kEventHandled;
}

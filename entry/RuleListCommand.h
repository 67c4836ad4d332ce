// Event code 7: the rule list dialog over the process-wide rule table.
#pragma once

#include <cstdint>

// Runs the "Hole Diameter" dialog modally and saves the table when it is confirmed.
// Returns the execute callback's result for the event (0).
int32_t RunRuleListCommand();

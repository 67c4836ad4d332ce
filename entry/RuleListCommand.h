// The rule list dialog over the process-wide rule table.
#pragma once

// Runs the "Hole Diameter" dialog modally and saves the table when it is confirmed.
void RunRuleListCommand();

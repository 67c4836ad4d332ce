// The rule editor's values remembered for the next new rule, under the user's settings key
// (one registry value per field, dialogs/DialogFields.h).
#pragma once

#include "rules/RuleTable.h"

// Reads the six values in field order. A value that cannot be read takes its default, which
// is written back at once; a failed write changes nothing of what is returned.
HoleRule RecallEditorValues();

// Writes the six values in field order. Failed writes are ignored: the rule is taken anyway.
void RememberEditorValues(const HoleRule& values);

// Where the rule file of a module on this computer is: the RuleFolder setting as the
// registry holds it now, else the module's own folder.
#pragma once

#include "rules/RuleFolder.h"

// `addressInModule` is any object of the module (the DLL, or the program itself); the
// registry is read at each call, so that a changed setting takes effect without a restart.
RuleLocation RuleLocationOfModule(const void* addressInModule);

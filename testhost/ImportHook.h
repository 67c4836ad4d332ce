// Points a loaded module's import of one function at another function, so that a test host
// sees the calls the module makes to the system (such as the message boxes it shows) also
// when the system cannot carry them out. The import table belongs to the module's image:
// nothing needs undoing when the module is unloaded.
#pragma once

#include <windows.h>

#include <string_view>

// False when the module does not import `function` by name from `library` (compared without
// regard to case, e.g. "user32.dll").
bool RedirectImport(HMODULE module, std::string_view library, std::string_view function,
                    const void* replacement);

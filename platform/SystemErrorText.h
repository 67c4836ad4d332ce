// The system's own words for a Win32 error code.
#pragma once

#include <windows.h>

#include <string>

// Without the line break the system ends its texts with; empty when the system has no text
// for the code. Language 0 lets the system choose the user's language.
std::wstring SystemErrorText(DWORD error, LANGID language = 0);

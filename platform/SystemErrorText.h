// The system's own words for an error code (a Win32 error on Windows, an errno elsewhere):
// the one describer of system errors, for every message that names one.
#pragma once

#include <cstdint>
#include <string>

enum class ErrorTextLanguage : uint8_t {
    User,     // the user's language, as the system chooses it
    English,  // for logs that are read by the developers
};

// Without the line break the system ends its texts with; empty when the system has no text
// for the code.
std::u16string SystemErrorText(uint32_t code, ErrorTextLanguage language = ErrorTextLanguage::User);

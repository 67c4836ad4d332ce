// Rule files saved in a legacy code page (what Notepad calls "ANSI"; 949 on a Korean
// Windows), decoded by the platform for the portable reader (rules/RuleFileFormat.h): on
// Windows by the system, elsewhere by the C library's iconv. Bytes that do not form a
// character of the code page become U+FFFD (or the system's default character).
#pragma once

#include <cstdint>
#include <optional>

#include "platform/TextEncoding.h"

// Off Windows, where no system code page applies to Windows files, the system code page is
// taken to be this one: the module's shops run a Korean Windows.
inline constexpr uint32_t kDefaultLegacyCodePage = 949;

// The system's ANSI code page on Windows (GetACP); kDefaultLegacyCodePage elsewhere.
uint32_t SystemCodePage();
LegacyTextDecoder SystemCodePageDecoder();

// A decoder for code page `codePage` (949, 1252, ...); nothing when the platform cannot
// convert from it.
std::optional<LegacyTextDecoder> CodePageDecoder(uint32_t codePage);

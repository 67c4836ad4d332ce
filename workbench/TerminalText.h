// Text for a terminal: what a rule file or a CSV holds must not reach the terminal as
// control sequences.
#pragma once

#include <string>
#include <string_view>

// Control characters (C0, DEL, C1) written as \xNN or \uNNNN, except LF and the CR of a
// CR LF; bytes that are not UTF-8 written as \xNN. Everything else as it is.
std::string TerminalText(std::string_view bytes);

// Text for a terminal: what a rule file or a CSV holds must not reach the terminal as
// control sequences.
#pragma once

#include <string>
#include <string_view>

// Control characters (C0, DEL, C1) written as \xNN or \uNNNN, except LF and the CR of a
// CR LF; so are the characters that reorder or break the text shown around them (U+061C,
// U+200E, U+200F, U+202A..U+202E, U+2066..U+2069, U+2028, U+2029), as \uNNNN; bytes that are
// not UTF-8 written as \xNN. Everything else as it is.
std::string TerminalText(std::string_view bytes);

// Whether a character changes how the text around it is shown: the bidirectional embeddings,
// overrides, isolates and marks, and the line and paragraph separators. JSON escapes them too.
bool MovesShownText(char32_t character);

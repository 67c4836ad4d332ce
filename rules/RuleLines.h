// One reading of a rule file's text: every line gets its kind here, and every reader of the
// file (the load and its message at the start, the kept-copy decision of a save, quillet-rules
// check, import and diff) takes the lines from here, so that they cannot disagree.
#pragma once

#include <cstdint>
#include <string_view>

#include "rules/CompiledRules.h"
#include "rules/RuleTable.h"

enum class RuleLineKind : uint8_t {
    Rule,             // six fields, within the first 49: a rule in force or switched off
    RuleNotInForce,   // a rule switched on whose new diameter cannot be used (see `fault`)
    Blank,            // no TAB, nothing but white space
    Comment,          // no TAB, other text
    OtherFieldCount,  // a TAB, but not six fields
    Beyond49,         // six fields after the table is full
};

struct RuleLine {
    int32_t number = 0;  // from 1
    RuleLineKind kind = RuleLineKind::Blank;
    int32_t fields = 1;  // TAB-separated fields
    int32_t rule = 0;    // Rule and RuleNotInForce: the rule's number in the table
    NewDiameterFault fault = NewDiameterFault::None;  // RuleNotInForce: why
    std::u16string_view text;                         // the line without its end
    // Lines of six fields: the new diameter as the line holds it, before the reading trims it.
    std::u16string_view lastField;
};

// Whether a save, which writes the table alone, leaves out text of the line: comments, lines
// of another field count and rules beyond the 49th. Blank lines, and the spaces the reading
// trims off a new diameter, hold nothing to keep.
bool IsDroppedBySave(RuleLineKind kind);

// Reads the text line by line: CR LF, LF and a lone CR each end a line, in any mix; no line
// follows a final line end, and the last line needs none. A six-field line becomes a rule
// while the table has room: flag 1 only when field 0 reads as the integer 1, the texts as
// they stand but the new diameter without CR, LF and spaces at its ends. One pass over the
// text, and nothing is allocated for lines beyond the table.
class RuleLineReader {
public:
    // Clears the table; the rules read are appended to it.
    RuleLineReader(std::u16string_view text, RuleTable& table);
    // Only the lines' kinds, for judging a file: no rule is made, and the first 49 six-field
    // lines are all of kind Rule (their new diameters are not judged).
    explicit RuleLineReader(std::u16string_view text) : text_(text) {}

    // The next line; false after the last one.
    bool Next(RuleLine& line);

private:
    void ReadRule(const size_t (&tabs)[5], size_t end, RuleLine& line);

    std::u16string_view text_;
    RuleTable* table_ = nullptr;
    int32_t rules_ = 0;
    size_t position_ = 0;
    int32_t number_ = 0;
};

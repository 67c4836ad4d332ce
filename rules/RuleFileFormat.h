// The bytes of the rule file: UTF-16LE with byte-order mark, one line per rule of six
// TAB-separated fields (flag, CodeFrom, CodeTo, DiameterFrom, DiameterTo, DiameterModify),
// CR LF line ends.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "rules/RuleTable.h"

// Field k (from 0) of a line split at every TAB, or nothing when the line has no field k.
std::optional<std::u16string_view> ExtractField(std::u16string_view line, int k);

struct RuleFileReadResult {
    int32_t acceptedLines = 0;  // six-field lines found
    int32_t ignoredLines = 0;   // accepted lines that did not fit into the table
};

// Clears the table and fills it from the file's bytes. The first two bytes are skipped
// only when they are the byte-order mark FF FE; an odd last byte is ignored.
RuleFileReadResult DecodeRuleFile(std::span<const unsigned char> bytes, RuleTable& table);

// The complete file for the table. A TAB, CR or LF inside a field is written as a space so
// that every rule reloads as one six-field line.
std::string EncodeRuleFile(const RuleTable& table);

// The bytes of the rule file. The writer always produces UTF-16LE with byte-order mark, one
// line per rule of six TAB-separated fields (flag, CodeFrom, CodeTo, DiameterFrom,
// DiameterTo, DiameterModify) and CR LF line ends; the reader also takes the encodings and
// line ends that ordinary text editors save.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rules/RuleTable.h"

enum class RuleFileEncoding {
    Utf16LeWithMark,
    Utf16BeWithMark,
    Utf8WithMark,
    Utf8,
    Utf16LeWithoutMark
};

struct RuleFileText {
    RuleFileEncoding encoding;
    std::u16string text;
};

// FF FE: UTF-16LE; FE FF: UTF-16BE; EF BB BF: UTF-8; no mark: UTF-8 when the bytes hold no
// NUL and are valid UTF-8 (so an empty file reports Utf8), else UTF-16LE from the first byte.
// An odd last byte of UTF-16 is dropped; invalid UTF-8 after the EF BB BF mark becomes
// U+FFFD; code points above U+FFFF become surrogate pairs.
RuleFileText DecodeRuleFileText(std::span<const unsigned char> bytes);

// Lines end at LF (a CR before it stays in the line); a text with CR but no LF at all has
// its lines ended by CR. No line after a final line end; the last line needs no end.
std::vector<std::u16string_view> SplitRuleFileLines(std::u16string_view text);

// Field k (from 0) of a line split at every TAB, or nothing when the line has no field k.
std::optional<std::u16string_view> ExtractField(std::u16string_view line, int k);

// A line of exactly six fields as a rule (flag 1 only when field 0 parses to 1;
// DiameterModify without CR, LF and space); nothing for any other line.
std::optional<HoleRule> RuleFromLine(std::u16string_view line);

struct RuleFileReadResult {
    int32_t acceptedLines = 0;  // six-field lines found
    int32_t ignoredLines = 0;   // accepted lines that did not fit into the table
    RuleFileEncoding encoding = RuleFileEncoding::Utf16LeWithMark;
};

// Clears the table and fills it from the file's bytes.
RuleFileReadResult DecodeRuleFile(std::span<const unsigned char> bytes, RuleTable& table);

// The complete file for the table. A TAB, CR or LF inside a field is written as a space so
// that every rule reloads as one six-field line.
std::string EncodeRuleFile(const RuleTable& table);

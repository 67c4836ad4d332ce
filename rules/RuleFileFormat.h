// The bytes of the rule file. The writer always produces UTF-16LE with byte-order mark, one
// line per rule of six TAB-separated fields (flag, CodeFrom, CodeTo, DiameterFrom,
// DiameterTo, DiameterModify) and CR LF line ends; the reader also takes the encodings and
// line ends that ordinary text editors save.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextEncoding.h"
#include "rules/RuleTable.h"

enum class RuleFileEncoding {
    Utf16LeWithMark,
    Utf16BeWithMark,
    Utf8WithMark,
    Utf8,
    Utf16LeWithoutMark,
    Utf16BeWithoutMark,
    LegacyCodePage,  // no mark, neither UTF-16 nor UTF-8: what Windows calls "ANSI"
};


struct RuleFileText {
    RuleFileEncoding encoding;
    std::u16string text;
};

// FF FE: UTF-16LE; FE FF: UTF-16BE; EF BB BF: UTF-8. Without a mark: UTF-16LE when NUL
// bytes stand at odd offsets as in ASCII-like UTF-16LE text (at least a quarter of the bytes
// at odd offsets are NUL), UTF-16BE when they stand so at even offsets; otherwise UTF-8 when
// the bytes, less NUL bytes at the very end,
// are valid UTF-8 (so an empty file reports Utf8); otherwise the legacy code page, which
// decodes the bytes less those final NUL bytes. An odd last byte of UTF-16 is dropped;
// invalid UTF-8 after the EF BB BF mark becomes U+FFFD; code points above U+FFFF become
// surrogate pairs.
RuleFileText DecodeRuleFileText(std::span<const unsigned char> bytes,
                                const LegacyTextDecoder& legacy);

// Field k (from 0) of a line split at every TAB, or nothing when the line has no field k.
std::optional<std::u16string_view> ExtractField(std::u16string_view line, int k);

// Lines of one kind, numbered from 1 as the file's lines: how many, and the first few.
struct LineNumbers {
    static constexpr size_t kKept = 5;

    int32_t count = 0;
    std::vector<int32_t> first;  // at most kKept, in file order

    void Add(int32_t line);
    bool empty() const { return count == 0; }
    bool operator==(const LineNumbers&) const = default;
};

// What the load tells at the start, by the kinds of rules/RuleLines.h.
struct RuleFileReadResult {
    int32_t acceptedLines = 0;  // six-field lines found
    int32_t ignoredLines = 0;   // accepted lines that did not fit into the table
    RuleFileEncoding encoding = RuleFileEncoding::Utf16LeWithMark;
    // Lines that hold a TAB but not six fields, so no rule was read from them. Lines without
    // a TAB (comments, blank lines) are not counted.
    LineNumbers skippedLines;
    // The lines of rules switched on that are not in force: their new diameter is not one
    // number from 0.0001 to 100000 (rules/CompiledRules.h).
    LineNumbers rulesNotInForce;
};

// Clears the table and fills it from the file's text, through RuleLineReader.
RuleFileReadResult ReadRuleFileText(const RuleFileText& decoded, RuleTable& table);
// The same from the file's bytes.
RuleFileReadResult DecodeRuleFile(std::span<const unsigned char> bytes, RuleTable& table,
                                  const LegacyTextDecoder& legacy);

// The complete file for the table. A TAB, CR or LF inside a field is written as a space so
// that every rule reloads as one six-field line.
std::string EncodeRuleFile(const RuleTable& table);

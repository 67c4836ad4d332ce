// One JSON document written front to back. Numbers are the shortest decimal text that reads
// back to the same binary64; JSON has no infinities or NaN, so those are written as the
// strings "Infinity", "-Infinity" and "NaN". Strings escape control characters and the
// characters that reorder or break the text shown around them (\u202e, \u2028, ...), so a
// document printed to a terminal shows what it holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The shortest text that reads back to the same double ("8.5", "1e+300", "-0"); non-finite
// values as "Infinity", "-Infinity", "NaN".
std::string ShortestNumber(double value);

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view name);

    // Each ill-formed part of the bytes is written as U+FFFD, so the document stays UTF-8.
    JsonWriter& String(std::string_view utf8);
    // Rule texts: a lone surrogate, which no strict reader accepts even escaped, as U+FFFD.
    JsonWriter& String(std::u16string_view text);
    JsonWriter& Number(double value);
    JsonWriter& Integer(int64_t value);
    // A positive count or number; null for 0 ("not tied to one").
    JsonWriter& IntegerOrNull(int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return text_; }

private:
    void BeforeValue();

    std::string text_;
    // Per open container: whether a value has been written into it yet.
    std::vector<bool> hasValue_;
    bool afterKey_ = false;
};

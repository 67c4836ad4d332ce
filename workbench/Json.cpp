#include "workbench/Json.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "platform/TextEncoding.h"
#include "workbench/TerminalText.h"

namespace {

void AppendEscape(std::string& out, unsigned unit) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(unit >> shift) & 0xF]);
}

// The code point of the well-formed UTF-8 sequence at `utf8[i]`, and its length.
std::pair<char32_t, size_t> CodePointAt(std::string_view utf8, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[i + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1};
    const size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) c = (c << 6) | (byte(k) & 0x3F);
    return {c, length};
}

// Quotes, backslashes and control characters (C0, DEL, C1) escaped, and so are the
// characters that would make the text show other than it is held when the document is
// printed (bidirectional controls, line and paragraph separators); the rest as it is.
// `utf8` is well-formed.
void AppendEscapedUtf8(std::string& out, std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        const auto [c, length] = CodePointAt(utf8, i);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || (c >= 0x7F && c < 0xA0) || MovesShownText(c)) {
                    AppendEscape(out, static_cast<unsigned>(c));
                } else {
                    out.append(utf8.substr(i, length));
                }
        }
        i += length;
    }
}

}  // namespace

std::string ShortestNumber(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    return ShortestDecimal(value);
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasValue_.empty()) {
        if (hasValue_.back()) text_.push_back(',');
        hasValue_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    text_.push_back('{');
    hasValue_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    text_.push_back('}');
    hasValue_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    text_.push_back('[');
    hasValue_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    text_.push_back(']');
    hasValue_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    String(name);
    text_.push_back(':');
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
    BeforeValue();
    text_.push_back('"');
    const Utf16Decoding decoded = Utf16FromUtf8Replacing(utf8, SurrogateForm::Replaced);
    AppendEscapedUtf8(
        text_, decoded.wellFormed ? utf8 : Utf8FromUtf16(decoded.text, SurrogateForm::Replaced));
    text_.push_back('"');
    return *this;
}

JsonWriter& JsonWriter::String(std::u16string_view text) {
    return String(Utf8FromUtf16(text, SurrogateForm::Replaced));
}

JsonWriter& JsonWriter::Number(double value) {
    if (!std::isfinite(value)) return String(ShortestNumber(value));
    BeforeValue();
    text_ += ShortestNumber(value);
    return *this;
}

JsonWriter& JsonWriter::Integer(int64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::IntegerOrNull(int64_t value) {
    return value == 0 ? Null() : Integer(value);
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    return *this;
}

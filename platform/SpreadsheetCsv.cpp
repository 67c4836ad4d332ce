#include "platform/SpreadsheetCsv.h"

#include <algorithm>

namespace {

bool StartsFormula(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos &&
           !IsPlainNumber(text);
}

bool NeedsApostrophe(std::string_view text) {
    return StartsFormula(text.substr(std::min(text.find_first_not_of('\''), text.size())));
}

bool NeedsQuotes(std::string_view field) {
    if (field.find_first_of(",\"\r\n") != std::string_view::npos) return true;
    return !field.empty() && (field.front() == ' ' || field.front() == '\t' ||
                              field.back() == ' ' || field.back() == '\t');
}

}  // namespace

bool IsPlainNumber(std::string_view text) {
    size_t i = 0;
    const auto digits = [&] {
        const size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == text.size();
}

std::string SpreadsheetSafe(std::string text) {
    if (NeedsApostrophe(text)) text.insert(0, 1, '\'');
    return text;
}

std::string FromSpreadsheetSafe(std::string text) {
    if (text.starts_with('\'') && NeedsApostrophe(std::string_view(text).substr(1))) {
        text.erase(0, 1);
    }
    return text;
}

void AppendCsvField(std::string& csv, std::string_view field) {
    if (!NeedsQuotes(field)) {
        csv += field;
        return;
    }
    csv.push_back('"');
    for (const char c : field) {
        if (c == '"') csv.push_back('"');
        csv.push_back(c);
    }
    csv.push_back('"');
}

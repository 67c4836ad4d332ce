#include "command/RewriteJournal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <random>
#include <variant>

#include "platform/TextEncoding.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr size_t kColumns = kJournalColumns;

// ---- Spreadsheet safety (as the workbench's rules CSV) ---------------------------------

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

bool StartsFormula(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos &&
           !IsPlainNumber(text);
}

bool NeedsApostrophe(std::string_view text) {
    return StartsFormula(text.substr(std::min(text.find_first_not_of('\''), text.size())));
}

bool NeedsQuotes(std::string_view field) {
    if (field.find_first_of(",\"") != std::string_view::npos) return true;
    return !field.empty() && (field.front() == ' ' || field.front() == '\t' ||
                              field.back() == ' ' || field.back() == '\t');
}

void AppendField(std::string& csv, std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    if (NeedsApostrophe(text)) text.insert(text.begin(), '\'');
    if (!NeedsQuotes(text)) {
        csv += text;
        return;
    }
    csv.push_back('"');
    for (const char c : text) {
        if (c == '"') csv.push_back('"');
        csv.push_back(c);
    }
    csv.push_back('"');
}

// In place: GCC 12 at -O2 takes a string moved through a by-value parameter as maybe
// uninitialized (-Werror on the Windows build).
void TakeOffApostrophe(std::string& field) {
    if (!field.empty() && field.front() == '\'' && NeedsApostrophe(field)) field.erase(0, 1);
}

// ---- Reading one line as fields --------------------------------------------------------

std::optional<std::vector<std::string>> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    size_t pos = 0;
    while (true) {
        std::string field;
        if (pos < line.size() && line[pos] == '"') {
            for (++pos;; ++pos) {
                if (pos >= line.size()) return std::nullopt;  // the closing quote is missing
                if (line[pos] != '"') {
                    field.push_back(line[pos]);
                } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
                    field.push_back('"');
                    ++pos;
                } else {
                    ++pos;
                    break;
                }
            }
            if (pos < line.size() && line[pos] != ',') return std::nullopt;
        } else {
            const size_t end = std::min(line.find(',', pos), line.size());
            field.assign(line.substr(pos, end - pos));
            if (field.find('"') != std::string::npos) return std::nullopt;
            pos = end;
        }
        TakeOffApostrophe(field);
        fields.push_back(std::move(field));
        if (pos >= line.size()) return fields;
        ++pos;  // the comma
    }
}

template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<int32_t>> RuleNumbers(std::string_view text) {
    std::vector<int32_t> rules;
    while (!text.empty()) {
        const size_t comma = std::min(text.find(','), text.size());
        std::string_view item = text.substr(0, comma);
        while (item.starts_with(' ')) item.remove_prefix(1);
        const auto rule = WholeNumber<int32_t>(item);
        if (!rule || *rule < 1) return std::nullopt;
        rules.push_back(*rule);
        text.remove_prefix(std::min(comma + 1, text.size()));
    }
    return rules;
}

enum Column : size_t {
    kTime,
    kUser,
    kComputer,
    kAction,
    kRewrite,
    kRuleFile,
    kRuleFileSha256,
    kHole,
    kStep,
    kCode,
    kBefore,
    kAfter,
    kRules,
};

struct ParsedRow {
    JournalAct act;
    JournalRow row;
};

// The row, or why it cannot be read (without its line).
std::variant<ParsedRow, JournalProblem> ParseRow(const std::vector<std::string>& fields) {
    const auto fault = [](JournalFault why, std::vector<std::string> values) {
        return JournalProblem{0, why, std::move(values)};
    };
    if (fields.size() != kColumns)
        return fault(JournalFault::ColumnCount, {std::to_string(fields.size())});
    ParsedRow parsed{};
    const std::optional<IsoTime> time = ParseIsoTime(fields[kTime]);
    if (!time || !time->hasClock || !time->offsetMinutes) {
        return fault(JournalFault::Time, {fields[kTime]});
    }
    parsed.act.time = TimestampOfLocal(time->local, *time->offsetMinutes);
    if (fields[kAction] == "rewrite") {
        parsed.act.action = JournalAction::Rewrite;
    } else if (fields[kAction] == "undo") {
        parsed.act.action = JournalAction::Undo;
    } else {
        return fault(JournalFault::Action, {fields[kAction]});
    }
    parsed.act.user = fields[kUser];
    parsed.act.computer = fields[kComputer];
    parsed.act.rewriteId = fields[kRewrite];
    parsed.act.ruleFile = fields[kRuleFile];
    parsed.act.ruleFileSha256 = fields[kRuleFileSha256];
    const auto hole = WholeNumber<int32_t>(fields[kHole]);
    const auto step = WholeNumber<int32_t>(fields[kStep]);
    const auto code = WholeNumber<int32_t>(fields[kCode]);
    if (!hole || !step || !code || *step < 1) {
        return fault(JournalFault::HoleStepCode, {fields[kHole], fields[kStep], fields[kCode]});
    }
    const auto before = WholeNumber<double>(fields[kBefore]);
    const auto after = WholeNumber<double>(fields[kAfter]);
    if (!before || !after) {
        return fault(JournalFault::BeforeAfter, {fields[kBefore], fields[kAfter]});
    }
    auto rules = RuleNumbers(fields[kRules]);
    if (!rules) return fault(JournalFault::Rules, {fields[kRules]});
    parsed.row = {0, 0, *hole, *step, *code, *before, *after, std::move(*rules)};
    return parsed;
}

}  // namespace

std::string_view JournalActionName(JournalAction action) {
    return action == JournalAction::Undo ? "undo" : "rewrite";
}

std::string NewRewriteId() {
    std::random_device source;
    const uint64_t id = uint64_t{source()} << 32 | source();
    char text[17];
    std::to_chars_result written = std::to_chars(text, text + 16, id, 16);
    const auto length = static_cast<size_t>(written.ptr - text);
    return std::string(16 - length, '0') + std::string(text, length);
}

std::string JournalCsvRecord(std::span<const std::string> fields) {
    std::string csv;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) csv.push_back(',');
        AppendField(csv, fields[i]);
    }
    csv += "\r\n";
    return csv;
}

std::string JournalRows(const JournalAct& act, std::span<const HoleChange> holes) {
    std::array<std::string, kColumns> fields = {
        IsoTimestamp(act.time), act.user,
        act.computer,           std::string(JournalActionName(act.action)),
        act.rewriteId,          act.ruleFile,
        act.ruleFileSha256};
    std::string csv;
    for (const HoleChange& hole : holes) {
        for (const StepChange& step : hole.steps) {
            fields[kHole] = std::to_string(hole.holeId);
            fields[kStep] = std::to_string(step.step);
            fields[kCode] = std::to_string(step.code);
            fields[kBefore] = ShortestDecimal(step.before);
            fields[kAfter] = ShortestDecimal(step.after);
            fields[kRules] = RuleListText(step.rules.Numbers());
            csv += JournalCsvRecord(fields);
        }
    }
    return csv;
}

std::string JournalBytesToAppend(uint64_t fileSize, std::string_view lastBytes,
                                 const JournalAct& act, std::span<const HoleChange> holes) {
    std::string rows = JournalRows(act, holes);
    if (rows.empty()) return rows;
    const std::string header = std::string(kJournalHeader) + "\r\n";
    if (fileSize == 0) return std::string(kUtf8Mark) + header + rows;
    if (fileSize == kUtf8Mark.size() && lastBytes == kUtf8Mark) return header + rows;
    if (!lastBytes.ends_with('\n')) return "\r\n" + rows;
    return rows;
}

JournalFile ReadJournal(std::string_view bytes) {
    JournalFile file;
    if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
    int lineNumber = 0;
    while (!bytes.empty()) {
        const size_t end = std::min(bytes.find('\n'), bytes.size());
        std::string_view line = bytes.substr(0, end);
        const bool ended = end < bytes.size();
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
        ++lineNumber;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (lineNumber == 1) {
            if (line == kJournalHeader) continue;
            file.isJournal = false;
            file.problems.push_back({1, JournalFault::NotAHeader, {}});
            return file;
        }
        if (line.empty()) continue;
        if (!ended) {
            // The module ends every row; a last line without its end was cut short.
            file.problems.push_back({lineNumber, JournalFault::CutShort, {}});
            continue;
        }
        const auto fields = SplitFields(line);
        if (!fields) {
            file.problems.push_back({lineNumber, JournalFault::UnpairedQuote, {}});
            continue;
        }
        auto parsed = ParseRow(*fields);
        if (auto* problem = std::get_if<JournalProblem>(&parsed)) {
            problem->line = lineNumber;
            file.problems.push_back(std::move(*problem));
            continue;
        }
        ParsedRow& row = std::get<ParsedRow>(parsed);
        if (file.acts.empty() || !(file.acts.back() == row.act)) {
            file.acts.push_back(std::move(row.act));
        }
        row.row.act = file.acts.size() - 1;
        row.row.line = lineNumber;
        file.rows.push_back(std::move(row.row));
    }
    return file;
}

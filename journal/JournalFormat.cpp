#include "journal/JournalFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <random>

#include "platform/SpreadsheetCsv.h"
#include "platform/TextEncoding.h"

namespace {

// Every row is one line: CR and LF inside a text become blanks.
void AppendField(std::string& csv, std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    AppendCsvField(csv, SpreadsheetSafe(std::move(text)));
}

// In place: GCC 12 at -O2 takes a string moved through a by-value parameter as maybe
// uninitialized (-Werror on the Windows build).
void TakeOffApostrophe(std::string& field) {
    if (field.starts_with('\'')) field = FromSpreadsheetSafe(std::move(field));
}

// ---- Reading one line as fields --------------------------------------------------------

// Into `fields`, reusing its strings' memory from line to line.
bool SplitFields(std::string_view line, std::vector<std::string>& fields) {
    size_t count = 0;
    size_t pos = 0;
    while (true) {
        if (count == fields.size()) fields.emplace_back();
        std::string& field = fields[count++];
        field.clear();
        if (pos < line.size() && line[pos] == '"') {
            for (++pos;; ++pos) {
                if (pos >= line.size()) return false;  // the closing quote is missing
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
            if (pos < line.size() && line[pos] != ',') return false;
        } else {
            const size_t end = std::min(line.find(',', pos), line.size());
            field.assign(line.substr(pos, end - pos));
            if (field.find('"') != std::string::npos) return false;
            pos = end;
        }
        TakeOffApostrophe(field);
        if (pos >= line.size()) {
            fields.resize(count);
            return true;
        }
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

// "1, 7" (the first format) or "1 7".
std::optional<std::vector<int32_t>> RuleNumbers(std::string_view text) {
    std::vector<int32_t> rules;
    while (!text.empty()) {
        const size_t separator = std::min(text.find_first_of(", "), text.size());
        const std::string_view item = text.substr(0, separator);
        text.remove_prefix(std::min(separator + 1, text.size()));
        if (item.empty()) continue;
        const auto rule = WholeNumber<int32_t>(item);
        if (!rule || *rule < 1) return std::nullopt;
        rules.push_back(*rule);
    }
    return rules;
}

void AppendNumber(std::string& out, auto value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    out.append(text, written.ptr);
}

// ---- The first format --------------------------------------------------------------------

namespace first {

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
    kCount
};

}  // namespace first

namespace acts {

enum Column : size_t {
    kTime,
    kUser,
    kComputer,
    kAct,
    kAction,
    kHole,
    kStep,
    kCode,
    kBefore,
    kAfter,
    kRules,
    kAbout,
    kCount
};

}  // namespace acts

JournalProblem Fault(JournalFault why, std::vector<std::string> values) {
    return JournalProblem{0, why, std::move(values)};
}

bool ReadTime(const std::string& field, Timestamp& time, JournalProblem& problem) {
    const std::optional<IsoTime> parsed = ParseIsoTime(field);
    if (!parsed || !parsed->hasClock || !parsed->offsetMinutes) {
        problem = Fault(JournalFault::Time, {field});
        return false;
    }
    time = TimestampOfLocal(parsed->local, *parsed->offsetMinutes);
    return true;
}

bool ReadStep(const std::vector<std::string>& fields, size_t hole, JournalRow& row,
              JournalProblem& problem) {
    const auto holeId = WholeNumber<int32_t>(fields[hole]);
    const auto step = WholeNumber<int32_t>(fields[hole + 1]);
    const auto code = WholeNumber<int32_t>(fields[hole + 2]);
    if (!holeId || !step || !code || *step < 1) {
        problem =
            Fault(JournalFault::HoleStepCode, {fields[hole], fields[hole + 1], fields[hole + 2]});
        return false;
    }
    const auto before = WholeNumber<double>(fields[hole + 3]);
    const auto after = WholeNumber<double>(fields[hole + 4]);
    if (!before || !after) {
        problem = Fault(JournalFault::BeforeAfter, {fields[hole + 3], fields[hole + 4]});
        return false;
    }
    auto rules = RuleNumbers(fields[hole + 5]);
    if (!rules) {
        problem = Fault(JournalFault::Rules, {fields[hole + 5]});
        return false;
    }
    row = JournalRow{*holeId,           *step,          *code, *before, *after,
                     std::move(*rules), RuleEdit::None, 0,     {},      {}};
    return true;
}

bool ParseFirst(const std::vector<std::string>& fields, JournalLine& line,
                JournalProblem& problem) {
    using namespace first;
    if (fields.size() != kCount) {
        problem = Fault(JournalFault::ColumnCount, {std::to_string(fields.size())});
        return false;
    }
    line = {};
    if (!ReadTime(fields[kTime], line.act.time, problem)) return false;
    const auto action = JournalActionNamed(fields[kAction]);
    if (!action || *action == JournalAction::RulesSaved) {
        problem = Fault(JournalFault::Action, {fields[kAction]});
        return false;
    }
    line.act.action = *action;
    line.act.user = fields[kUser];
    line.act.computer = fields[kComputer];
    line.act.rewriteId = fields[kRewrite];
    line.act.ruleFile = fields[kRuleFile];
    line.act.ruleFileSha256 = fields[kRuleFileSha256];
    line.kind = JournalLine::Kind::Row;
    return ReadStep(fields, kHole, line.row, problem);
}

// "key=value" words of an about field; "file=" takes the rest of the field.
std::optional<std::string_view> AboutValue(std::string_view about, std::string_view key) {
    size_t pos = 0;
    while (pos < about.size()) {
        const size_t end = std::min(about.find(' ', pos), about.size());
        const std::string_view word = about.substr(pos, end - pos);
        if (word.starts_with(key) && word.size() > key.size() && word[key.size()] == '=') {
            if (key == "file") return about.substr(pos + key.size() + 1);
            return word.substr(key.size() + 1);
        }
        if (word.starts_with("file=")) return std::nullopt;
        pos = end + 1;
    }
    return std::nullopt;
}

bool ParseSummary(std::string_view about, JournalLine& line) {
    JournalActSummary& summary = line.summary;
    const auto rows = WholeNumber<uint64_t>(AboutValue(about, "rows").value_or(""));
    const auto holes = WholeNumber<uint64_t>(AboutValue(about, "holes").value_or("0"));
    if (!rows || !holes) return false;
    summary.rows = *rows;
    summary.holes = *holes;
    if (const auto steps = AboutValue(about, "steps")) {
        std::string_view list = *steps;
        while (!list.empty()) {
            const size_t comma = std::min(list.find(';'), list.size());
            const std::string_view item = list.substr(0, comma);
            list.remove_prefix(std::min(comma + 1, list.size()));
            const size_t colon = item.find(':');
            if (colon == std::string_view::npos) return false;
            const auto rule = WholeNumber<int32_t>(item.substr(0, colon));
            const auto count = WholeNumber<uint64_t>(item.substr(colon + 1));
            if (!rule || !count) return false;
            summary.stepsPerRule.emplace_back(*rule, *count);
        }
    }
    if (const auto part = AboutValue(about, "part")) {
        const size_t slash = part->find('/');
        const auto k = WholeNumber<uint32_t>(part->substr(0, std::min(slash, part->size())));
        const auto n = slash == std::string_view::npos
                           ? std::nullopt
                           : WholeNumber<uint32_t>(part->substr(slash + 1));
        if (!k || !n || *k < 1 || *k > *n) return false;
        summary.part = *k;
        summary.parts = *n;
    }
    line.act.ruleFileSha256 = AboutValue(about, "table").value_or("");
    line.act.previousSha256 = AboutValue(about, "was").value_or("");
    line.act.rewriteId = AboutValue(about, "undoes").value_or(line.act.actId);
    line.act.left = AboutValue(about, "left").value_or("");
    line.act.ruleFile = AboutValue(about, "file").value_or("");
    return true;
}

bool ParseRuleRow(const std::vector<std::string>& fields, std::string_view about, JournalRow& row) {
    using namespace acts;
    row = {};
    if (about.starts_with("added")) {
        row.edit = RuleEdit::Added;
    } else if (about.starts_with("removed")) {
        row.edit = RuleEdit::Removed;
    } else if (about.starts_with("changed")) {
        row.edit = RuleEdit::Changed;
    } else {
        return false;
    }
    const auto number = WholeNumber<int32_t>(fields[kRules]);
    if (!number || *number < 1) return false;
    row.rules = {*number};
    row.oldNumber =
        WholeNumber<int32_t>(AboutValue(about, "was").value_or(fields[kRules])).value_or(*number);
    row.oldRule = fields[kBefore];
    row.newRule = fields[kAfter];
    return true;
}

bool ParseActs(const std::vector<std::string>& fields, JournalLine& line, JournalProblem& problem) {
    using namespace acts;
    if (fields.size() != kCount) {
        problem = Fault(JournalFault::ColumnCount, {std::to_string(fields.size())});
        return false;
    }
    line.act = {};
    if (!ReadTime(fields[kTime], line.act.time, problem)) return false;
    const auto action = JournalActionNamed(fields[kAction]);
    if (!action) {
        problem = Fault(JournalFault::Action, {fields[kAction]});
        return false;
    }
    line.act.action = *action;
    line.act.user = fields[kUser];
    line.act.computer = fields[kComputer];
    line.act.actId = fields[kAct];
    line.act.rewriteId = fields[kAct];
    const std::string& about = fields[kAbout];
    const auto aboutFault = [&] {
        problem = Fault(JournalFault::About, {about});
        return false;
    };
    if (about.starts_with("begin")) {
        line.kind = JournalLine::Kind::Begin;
        line.summary = {};
        return ParseSummary(about, line) || aboutFault();
    }
    if (about.starts_with("end")) {
        line.kind = JournalLine::Kind::End;
        const auto total = WholeNumber<uint64_t>(AboutValue(about, "total").value_or(""));
        if (!total) return aboutFault();
        line.fileRows = *total;
        return true;
    }
    line.kind = JournalLine::Kind::Row;
    if (line.act.action == JournalAction::RulesSaved) {
        return ParseRuleRow(fields, about, line.row) || aboutFault();
    }
    if (!about.empty()) return aboutFault();
    return ReadStep(fields, kHole, line.row, problem);
}

}  // namespace

std::string_view JournalActionName(JournalAction action) {
    switch (action) {
        case JournalAction::Undo:
            return "undo";
        case JournalAction::RulesSaved:
            return "rules-saved";
        case JournalAction::Rewrite:
            break;
    }
    return "rewrite";
}

std::optional<JournalAction> JournalActionNamed(std::string_view name) {
    for (const JournalAction action :
         {JournalAction::Rewrite, JournalAction::Undo, JournalAction::RulesSaved}) {
        if (name == JournalActionName(action)) return action;
    }
    return std::nullopt;
}

std::string NewActId() {
    std::random_device source;
    const uint64_t id = (uint64_t{source()} << 32 | source()) & 0xFFFF'FFFF'FFFFu;
    char text[17];
    const std::to_chars_result written = std::to_chars(text, text + 16, id, 16);
    const auto length = static_cast<size_t>(written.ptr - text);
    return std::string(12 - length, '0') + std::string(text, length);
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

std::string JournalDecimal(double value) {
    return ShortestDecimal(value);
}

std::string RuleNumbersText(std::span<const int32_t> rules) {
    std::string text;
    for (const int32_t rule : rules) {
        if (!text.empty()) text += ", ";
        text += std::to_string(rule);
    }
    return text;
}

std::string BeginAbout(const JournalAct& act, const JournalActSummary& summary) {
    std::string about = "begin rows=" + std::to_string(summary.rows);
    if (act.action != JournalAction::RulesSaved) {
        about += " holes=" + std::to_string(summary.holes);
        if (!summary.stepsPerRule.empty()) {
            about += " steps=";
            for (size_t i = 0; i < summary.stepsPerRule.size(); ++i) {
                if (i > 0) about += ';';
                about += std::to_string(summary.stepsPerRule[i].first) + ':' +
                         std::to_string(summary.stepsPerRule[i].second);
            }
        }
    }
    if (!act.ruleFileSha256.empty()) about += " table=" + act.ruleFileSha256;
    if (!act.previousSha256.empty()) about += " was=" + act.previousSha256;
    if (act.action == JournalAction::Undo && !act.rewriteId.empty()) {
        about += " undoes=" + act.rewriteId;
    }
    if (summary.parts > 1) {
        about += " part=" + std::to_string(summary.part) + '/' + std::to_string(summary.parts);
    }
    if (!act.left.empty()) about += " left=" + act.left;
    if (!act.ruleFile.empty()) about += " file=" + act.ruleFile;
    return about;
}

// ---- JournalRowWriter ----------------------------------------------------------------------

JournalRowWriter::JournalRowWriter(const JournalAct& act, size_t bufferBytes, Flush flush)
    : act_(act), limit_(std::max<size_t>(bufferBytes, 4096)), flush_(std::move(flush)) {
    for (const std::string& field : {IsoTimestampToSecond(act.time), act.user, act.computer,
                                     act.actId, std::string(JournalActionName(act.action))}) {
        AppendField(prefix_, field);
        prefix_.push_back(',');
    }
    buffer_.reserve(limit_);
}

void JournalRowWriter::Reserve(size_t bytes) {
    if (buffer_.size() + bytes <= limit_ || buffer_.empty()) return;
    if (!failed_ && !flush_(buffer_)) failed_ = true;
    buffer_.clear();
}

void JournalRowWriter::Raw(std::string_view bytes) {
    Reserve(bytes.size());
    buffer_ += bytes;
}

void JournalRowWriter::EndRow(std::string_view about) {
    AppendField(buffer_, std::string(about));
    buffer_ += "\r\n";
    ++rows_;
}

void JournalRowWriter::Begin(const JournalActSummary& summary) {
    const std::string about = BeginAbout(act_, summary);
    Reserve(prefix_.size() + about.size() + 16);
    buffer_ += prefix_;
    buffer_ += ",,,,,,";
    EndRow(about);
}

// The hot path: straight into the buffer, no string operations per field.
void JournalRowWriter::Step(int32_t hole, int32_t step, int32_t code, double before, double after,
                            std::span<const int32_t> rules) {
    const size_t most = prefix_.size() + 3 * 11 + 2 * kMostDecimalChars + rules.size() * 12 + 8;
    Reserve(most);
    const size_t at = buffer_.size();
    buffer_.resize(at + most);
    char* out = buffer_.data() + at;
    char* const end = buffer_.data() + buffer_.size();
    out = std::copy(prefix_.begin(), prefix_.end(), out);
    const auto number = [&](auto value, char separator) {
        out = std::to_chars(out, end, value).ptr;
        *out++ = separator;
    };
    number(hole, ',');
    number(step, ',');
    number(code, ',');
    const auto decimal = [&](double value) {
        out = WriteShortestDecimal(out, value);
        *out++ = ',';
    };
    decimal(before);
    decimal(after);
    for (size_t i = 0; i < rules.size(); ++i) number(rules[i], i + 1 < rules.size() ? ' ' : ',');
    if (rules.empty()) *out++ = ',';
    *out++ = '\r';
    *out++ = '\n';
    buffer_.resize(static_cast<size_t>(out - buffer_.data()));
    ++rows_;
}

void JournalRowWriter::Rule(RuleEdit edit, int32_t number, int32_t oldNumber,
                            std::string_view oldRule, std::string_view newRule) {
    Reserve(prefix_.size() + oldRule.size() + newRule.size() + 64);
    buffer_ += prefix_;
    buffer_ += ",,,";
    AppendField(buffer_, std::string(oldRule));
    buffer_ += ',';
    AppendField(buffer_, std::string(newRule));
    buffer_ += ',';
    AppendNumber(buffer_, number);
    buffer_ += ',';
    std::string about = edit == RuleEdit::Added     ? "added"
                        : edit == RuleEdit::Removed ? "removed"
                                                    : "changed";
    if (edit == RuleEdit::Changed && oldNumber != number) {
        about += " was=" + std::to_string(oldNumber);
    }
    EndRow(about);
}

void JournalRowWriter::End(uint64_t fileRows) {
    Reserve(prefix_.size() + 48);
    buffer_ += prefix_;
    buffer_ += ",,,,,,";
    EndRow("end total=" + std::to_string(fileRows));
}

bool JournalRowWriter::Finish() {
    if (!buffer_.empty() && !failed_ && !flush_(buffer_)) failed_ = true;
    buffer_.clear();
    return !failed_;
}

// ---- Reading -------------------------------------------------------------------------------

std::optional<JournalVersion> JournalVersionOf(std::string_view headerLine) {
    if (headerLine.starts_with(kJournalMark)) headerLine.remove_prefix(kJournalMark.size());
    if (headerLine.ends_with('\r')) headerLine.remove_suffix(1);
    if (headerLine == kJournalHeader) return JournalVersion::Acts;
    if (headerLine == kFirstJournalHeader) return JournalVersion::First;
    return std::nullopt;
}

bool ParseJournalLine(std::string_view line, JournalVersion version, JournalLine& parsed,
                      JournalProblem& problem) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::vector<std::string> fields;
    if (!SplitFields(line, fields)) {
        problem = Fault(JournalFault::UnpairedQuote, {});
        return false;
    }
    return version == JournalVersion::First ? ParseFirst(fields, parsed, problem)
                                            : ParseActs(fields, parsed, problem);
}

std::string_view ActIdOfLine(std::string_view line) {
    // The time, user and seat come first; a user or seat with a comma is quoted.
    size_t pos = 0;
    for (int field = 0; field < 3; ++field) {
        if (pos < line.size() && line[pos] == '"') {
            for (++pos; pos < line.size(); ++pos) {
                if (line[pos] == '"' && (pos + 1 >= line.size() || line[pos + 1] != '"')) break;
                if (line[pos] == '"') ++pos;
            }
            ++pos;
        } else {
            pos = std::min(line.find(',', pos), line.size());
        }
        if (pos >= line.size() || line[pos] != ',') return {};
        ++pos;
    }
    const size_t end = std::min(line.find(',', pos), line.size());
    return line.substr(pos, end - pos);
}

std::optional<uint64_t> FileRowsOfEndLine(std::string_view line) {
    while (line.ends_with('\r') || line.ends_with('\n')) line.remove_suffix(1);
    const size_t comma = line.rfind(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const std::string_view about = line.substr(comma + 1);
    if (!about.starts_with("end ")) return std::nullopt;
    return WholeNumber<uint64_t>(AboutValue(about, "total").value_or(""));
}

bool ParseStepTail(std::string_view tail, JournalRow& row) {
    std::string_view fields[7];
    for (size_t i = 0; i < 6; ++i) {
        const size_t comma = tail.find(',');
        if (comma == std::string_view::npos) return false;
        fields[i] = tail.substr(0, comma);
        tail.remove_prefix(comma + 1);
    }
    if (!tail.empty() && tail != "\r") return false;  // an about: not a plain step row
    const auto hole = WholeNumber<int32_t>(fields[0]);
    const auto step = WholeNumber<int32_t>(fields[1]);
    const auto code = WholeNumber<int32_t>(fields[2]);
    const auto before = WholeNumber<double>(fields[3]);
    const auto after = WholeNumber<double>(fields[4]);
    if (!hole || !step || !code || *step < 1 || !before || !after) return false;
    row.hole = *hole;
    row.step = *step;
    row.code = *code;
    row.before = *before;
    row.after = *after;
    row.rules.clear();
    row.edit = RuleEdit::None;
    std::string_view rules = fields[5];
    while (!rules.empty()) {
        const size_t blank = std::min(rules.find(' '), rules.size());
        const auto rule = WholeNumber<int32_t>(rules.substr(0, blank));
        if (!rule || *rule < 1) return false;
        row.rules.push_back(*rule);
        rules.remove_prefix(std::min(blank + 1, rules.size()));
    }
    return true;
}

std::string_view SharedPrefixOfLine(std::string_view line) {
    size_t pos = 0;
    for (int field = 0; field < 5; ++pos, ++field) {
        pos = line.find(',', pos);
        if (pos == std::string_view::npos) return {};
    }
    const std::string_view prefix = line.substr(0, pos);
    return prefix.find_first_of("\"'") == std::string_view::npos ? prefix : std::string_view();
}

#include "workbench/RulesCsv.h"

#include <array>
#include <optional>
#include <variant>

#include "platform/TextEncoding.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr size_t kColumns = 6;
// Any rule text, lone surrogates included, comes back from its CSV unchanged.
constexpr SurrogateForm kSurrogates = SurrogateForm::ThreeBytes;
constexpr std::array<std::string_view, kColumns> kColumnNames = {
    "enabled", "code_from", "code_to", "diameter_from", "diameter_to", "diameter_modify"};

bool NeedsQuotes(std::string_view field) {
    if (field.find_first_of(",\"\r\n") != std::string_view::npos) return true;
    return !field.empty() && (field.front() == ' ' || field.front() == '\t' ||
                              field.back() == ' ' || field.back() == '\t');
}

void AppendField(std::string& csv, std::string_view field) {
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

void AppendRecord(std::string& csv, const std::array<std::string, kColumns>& fields) {
    for (size_t k = 0; k < kColumns; ++k) {
        if (k > 0) csv.push_back(',');
        AppendField(csv, fields[k]);
    }
    csv += "\r\n";
}

struct CsvRecord {
    int line;
    std::vector<std::string> fields;
};

// RFC 4180 records one at a time; the first malformed quoting ends the reading, since
// nothing after it can be split into records with any confidence.
class CsvReader {
public:
    explicit CsvReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    // Nothing, with `problem` set, on malformed quoting.
    std::optional<CsvRecord> Next(std::optional<CsvProblem>& problem);

private:
    bool AtLineEnd() const;
    void SkipLineEnd();
    std::optional<std::string> QuotedField(int recordLine, std::optional<CsvProblem>& problem);
    std::optional<std::string> PlainField(std::optional<CsvProblem>& problem);

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

bool CsvReader::AtLineEnd() const {
    if (text_[pos_] == '\n') return true;
    return text_[pos_] == '\r' && (pos_ + 1 == text_.size() || text_[pos_ + 1] == '\n');
}

void CsvReader::SkipLineEnd() {
    if (text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size()) ++pos_;
    ++line_;
}

std::optional<std::string> CsvReader::QuotedField(int recordLine,
                                                  std::optional<CsvProblem>& problem) {
    std::string field;
    for (++pos_; pos_ < text_.size(); ++pos_) {
        const char c = text_[pos_];
        if (c == '"') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                field.push_back(c);
                ++pos_;
                continue;
            }
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] != ',' && !AtLineEnd()) {
                problem =
                    CsvProblem{line_, "닫는 따옴표 뒤에 쉼표나 줄 끝이 아닌 문자가 있습니다."};
                return std::nullopt;
            }
            return field;
        }
        if (c == '\n') ++line_;
        field.push_back(c);
    }
    problem = CsvProblem{recordLine, "따옴표가 닫히지 않았습니다."};
    return std::nullopt;
}

std::optional<std::string> CsvReader::PlainField(std::optional<CsvProblem>& problem) {
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !AtLineEnd()) {
        if (text_[pos_] == '"') {
            problem = CsvProblem{line_, "따옴표로 묶지 않은 필드 안에 따옴표가 있습니다."};
            return std::nullopt;
        }
        ++pos_;
    }
    return std::string(text_.substr(start, pos_ - start));
}

std::optional<CsvRecord> CsvReader::Next(std::optional<CsvProblem>& problem) {
    CsvRecord record{line_, {}};
    for (;;) {
        const bool quoted = pos_ < text_.size() && text_[pos_] == '"';
        auto field = quoted ? QuotedField(record.line, problem) : PlainField(problem);
        if (!field) return std::nullopt;
        record.fields.push_back(std::move(*field));
        if (pos_ >= text_.size()) return record;
        if (text_[pos_] == ',') {
            ++pos_;
            continue;
        }
        SkipLineEnd();
        return record;
    }
}

bool IsEmptyRecord(const CsvRecord& record) {
    return record.fields.size() == 1 && record.fields[0].empty();
}

bool IsHeader(const CsvRecord& record) {
    if (record.fields.size() != kColumns) return false;
    for (size_t k = 0; k < kColumns; ++k) {
        if (record.fields[k] != kColumnNames[k]) return false;
    }
    return true;
}

// The row's rule with its texts exactly as given, or its problem.
std::variant<HoleRule, std::string> RuleFromRow(const CsvRecord& record) {
    if (record.fields.size() != kColumns) {
        return "열이 " + std::to_string(record.fields.size()) + "개입니다. 6개여야 합니다.";
    }
    std::array<std::u16string, kColumns> texts;
    for (size_t k = 0; k < kColumns; ++k) {
        const std::string& field = record.fields[k];
        if (field.find_first_of("\t\r\n") != std::string::npos) {
            return std::string(kColumnNames[k]) + " 열에 TAB, CR 또는 LF가 있습니다.";
        }
        std::optional<std::u16string> text = Utf16FromUtf8Strict(field, kSurrogates);
        if (!text) return std::string(kColumnNames[k]) + " 열이 UTF-8이 아닙니다.";
        texts[k] = std::move(*text);
    }
    if (texts[0] != u"0" && texts[0] != u"1") {
        return "enabled 열은 0 또는 1이어야 합니다: \"" + record.fields[0] + "\"";
    }
    return HoleRule{texts[0] == u"1" ? 1 : 0, texts[1], texts[2], texts[3], texts[4], texts[5]};
}

}  // namespace

std::string RulesToCsv(const RuleTable& table) {
    std::string csv(kRulesCsvHeader);
    csv += "\r\n";
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& rule = table.rule(n);
        AppendRecord(
            csv,
            {rule.isDisplay != 0 ? "1" : "0", Utf8FromUtf16(rule.CodeFrom, kSurrogates),
             Utf8FromUtf16(rule.CodeTo, kSurrogates), Utf8FromUtf16(rule.DiameterFrom, kSurrogates),
             Utf8FromUtf16(rule.DiameterTo, kSurrogates),
             Utf8FromUtf16(rule.DiameterModify, kSurrogates)});
    }
    return csv;
}

CsvRules RulesFromCsv(std::string_view csv) {
    if (csv.starts_with(kUtf8Mark)) csv.remove_prefix(kUtf8Mark.size());
    CsvRules result;
    CsvReader reader(csv);
    bool headerSeen = false;
    bool overflowReported = false;
    while (!reader.AtEnd()) {
        std::optional<CsvProblem> problem;
        const std::optional<CsvRecord> record = reader.Next(problem);
        if (!record) {
            result.problems.push_back(std::move(*problem));
            break;
        }
        if (IsEmptyRecord(*record)) continue;
        if (!headerSeen) {
            headerSeen = true;
            if (!IsHeader(*record)) {
                result.problems.push_back(
                    {record->line, "첫 줄은 머리글이어야 합니다: " + std::string(kRulesCsvHeader)});
            }
            continue;
        }
        auto rule = RuleFromRow(*record);
        if (auto* message = std::get_if<std::string>(&rule)) {
            result.problems.push_back({record->line, std::move(*message)});
        } else if (!result.table.Append(std::get<HoleRule>(rule)) && !overflowReported) {
            overflowReported = true;
            result.problems.push_back(
                {record->line, "규칙이 " + std::to_string(RuleTable::kCapacity) +
                                   "개를 넘습니다: 이 줄이 " +
                                   std::to_string(RuleTable::kCapacity + 1) + "번째 규칙입니다."});
        }
    }
    if (!headerSeen)
        result.problems.push_back({1, "머리글이 없습니다: " + std::string(kRulesCsvHeader)});
    return result;
}

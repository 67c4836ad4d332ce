#include "workbench/RulesCsv.h"

#include <algorithm>
#include <array>
#include <optional>
#include <variant>

#include "platform/TextEncoding.h"
#include "rules/RuleFields.h"

namespace {

constexpr size_t npos = std::string_view::npos;
constexpr size_t kColumns = kRuleFieldCount;
// Any rule text, lone surrogates included, comes back from its CSV unchanged.
constexpr SurrogateForm kSurrogates = SurrogateForm::ThreeBytes;

// The header names the fields' columns in order, separated by commas.
constexpr bool HeaderNamesTheFields() {
    std::string_view rest = kRulesCsvHeader;
    for (const RuleFieldInfo& field : kRuleFields) {
        if (field.position() > 0) {
            if (!rest.starts_with(',')) return false;
            rest.remove_prefix(1);
        }
        if (!rest.starts_with(field.csvColumn)) return false;
        rest.remove_prefix(field.csvColumn.size());
    }
    return rest.empty();
}
static_assert(HeaderNamesTheFields());

void AppendRecord(std::string& csv, const std::array<std::string, kColumns>& fields) {
    for (size_t k = 0; k < kColumns; ++k) {
        if (k > 0) csv.push_back(',');
        AppendCsvField(csv, fields[k]);
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
    CsvReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    // Nothing, with `problem` set, on malformed quoting.
    std::optional<CsvRecord> Next(std::optional<CsvProblem>& problem);

private:
    bool AtLineEnd() const;
    void SkipLineEnd();
    std::optional<std::string> QuotedField(int recordLine, std::optional<CsvProblem>& problem);
    std::optional<std::string> PlainField(std::optional<CsvProblem>& problem);

    std::string_view text_;
    char separator_;
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
            if (pos_ < text_.size() && text_[pos_] != separator_ && !AtLineEnd()) {
                problem =
                    CsvProblem{line_, "닫는 따옴표 뒤에 " +
                                          std::string(separator_ == ';' ? "세미콜론" : "쉼표") +
                                          "이나 줄 끝이 아닌 문자가 있습니다."};
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
    while (pos_ < text_.size() && text_[pos_] != separator_ && !AtLineEnd()) {
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
        if (text_[pos_] == separator_) {
            ++pos_;
            continue;
        }
        SkipLineEnd();
        return record;
    }
}

// An empty line, or a row of empty cells as spreadsheets leave them (",,,,,").
bool IsEmptyRecord(const CsvRecord& record) {
    return std::all_of(record.fields.begin(), record.fields.end(),
                       [](const std::string& field) { return field.empty(); });
}

// A problem with the whole text that would otherwise show up as a puzzling one on a row.
std::optional<CsvProblem> TextProblem(std::string_view csv) {
    const bool nulInFirstCharacter = csv.substr(0, 2).find('\0') != npos;
    if (csv.starts_with("\xFF\xFE") || csv.starts_with("\xFE\xFF") || nulInFirstCharacter) {
        return CsvProblem{1, "CSV가 UTF-16(유니코드) 텍스트입니다. UTF-8로 저장한 CSV를 주십시오."};
    }
    if (csv.find('\r') != npos && csv.find('\n') == npos) {
        return CsvProblem{1, "줄 끝이 CR뿐입니다. 줄 끝이 CR LF 또는 LF인 CSV를 주십시오."};
    }
    if (!Utf16FromUtf8Strict(csv, kSurrogates)) {
        const Utf16Decoding decoded = Utf16FromUtf8Replacing(csv, kSurrogates);
        const size_t bad = decoded.text.find(u'\uFFFD');
        const std::u16string_view before = std::u16string_view(decoded.text).substr(0, bad);
        const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), u'\n'));
        return CsvProblem{line,
                          "CSV가 UTF-8이 아닙니다 (다른 코드 페이지로 저장된 파일?). "
                          "UTF-8로 저장한 CSV를 주십시오."};
    }
    return std::nullopt;
}

bool IsHeader(const CsvRecord& record) {
    if (record.fields.size() != kColumns) return false;
    return std::ranges::all_of(kRuleFields, [&](const RuleFieldInfo& field) {
        return record.fields[field.position()] == field.csvColumn;
    });
}

// Spreadsheets in many locales separate fields by semicolons: such a file is told by its
// first record that is not empty, the header read with semicolons. Anything else is read
// with commas (and a header that is neither is reported as such).
char SeparatorOf(std::string_view csv) {
    CsvReader reader(csv, ';');
    while (!reader.AtEnd()) {
        std::optional<CsvProblem> problem;
        const std::optional<CsvRecord> record = reader.Next(problem);
        if (!record) break;
        if (!IsEmptyRecord(*record)) return IsHeader(*record) ? ';' : ',';
    }
    return ',';
}

// The row's rule with its texts exactly as given, or its problem.
std::variant<HoleRule, std::string> RuleFromRow(const CsvRecord& record) {
    if (record.fields.size() != kColumns) {
        return "열이 " + std::to_string(record.fields.size()) + "개입니다. 6개여야 합니다.";
    }
    HoleRule rule;
    std::u16string flag;
    for (const RuleFieldInfo& column : kRuleFields) {
        const std::string& field = record.fields[column.position()];
        if (field.find_first_of("\t\r\n") != std::string::npos) {
            return std::string(column.csvColumn) + " 열에 TAB, CR 또는 LF가 있습니다.";
        }
        const bool isFlag = column.kind == RuleFieldKind::Flag;
        std::optional<std::u16string> text =
            Utf16FromUtf8Strict(isFlag ? field : FromSpreadsheetSafe(field), kSurrogates);
        if (!text) return std::string(column.csvColumn) + " 열이 UTF-8이 아닙니다.";
        if (isFlag) flag = *text;
        SetFieldText(rule, column, *text);
    }
    if (flag != u"0" && flag != u"1") {
        return std::string(InfoOf(RuleField::Enabled).csvColumn) +
               " 열은 0 또는 1이어야 합니다: \"" + record.fields[0] + "\"";
    }
    return rule;
}

}  // namespace

std::string RulesToCsv(const RuleTable& table) {
    std::string csv(kRulesCsvHeader);
    csv += "\r\n";
    for (int32_t n = 1; n <= table.count(); ++n) {
        std::array<std::string, kColumns> fields;
        for (const RuleFieldInfo& column : kRuleFields) {
            const std::string text = Utf8FromUtf16(FieldText(table.rule(n), column), kSurrogates);
            fields[column.position()] =
                column.kind == RuleFieldKind::Flag ? text : SpreadsheetSafe(text);
        }
        AppendRecord(csv, fields);
    }
    return csv;
}

CsvRules RulesFromCsv(std::string_view csv) {
    if (csv.starts_with(kUtf8Mark)) csv.remove_prefix(kUtf8Mark.size());
    CsvRules result;
    if (std::optional<CsvProblem> problem = TextProblem(csv)) {
        result.problems.push_back(std::move(*problem));
        return result;
    }
    result.separator = SeparatorOf(csv);
    CsvReader reader(csv, result.separator);
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
        if (IsHeader(*record)) {
            result.problems.push_back({record->line,
                                       "머리글이 한 번 더 나옵니다. 머리글은 첫 "
                                       "줄에만 둡니다 (CSV 두 개를 이어 붙였나요?)."});
            continue;
        }
        auto rule = RuleFromRow(*record);
        if (auto* message = std::get_if<std::string>(&rule)) {
            result.problems.push_back({record->line, std::move(*message)});
        } else if (result.table.Append(std::get<HoleRule>(rule))) {
            result.lines.push_back(record->line);
        } else if (!overflowReported) {
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

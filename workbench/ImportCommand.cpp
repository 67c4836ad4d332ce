// import: a CSV checked as the module would read it, then written as the rule file, or with
// --dry-run only compared with it.
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "journal/RuleTables.h"
#include "journal/SeatJournal.h"
#include "journal/Sha256.h"
#include "platform/LegacyCodePage.h"
#include "platform/TextEncoding.h"
#include "rules/RuleFields.h"
#include "rules/RuleFileFormat.h"
#include "texts/FileReport.h"
#include "workbench/Json.h"
#include "workbench/NamedFiles.h"
#include "workbench/RulesCsv.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

// A faulty CSV: {"error": {"code": "bad-csv", "message", "problems": [{"line", "message"}]}}.
int RefuseCsv(const CommandContext& context, const std::vector<CsvProblem>& problems) {
    const std::string& csv = context.invocation.input;
    if (!context.invocation.json) {
        for (const CsvProblem& problem : problems) {
            context.err << csv << ":" << problem.line << ": " << problem.message << "\n";
        }
        return kExitErrors;
    }
    return Fail(context, kExitErrors, "bad-csv", csv + "에 잘못된 곳이 있어 쓰지 않았습니다.",
                [&](JsonWriter& json) {
                    json.Key("problems").BeginArray();
                    for (const CsvProblem& problem : problems) {
                        json.BeginObject().Key("line").Integer(problem.line);
                        json.Key("message").String(problem.message).EndObject();
                    }
                    json.EndArray();
                });
}

std::vector<Finding> ErrorsOf(const std::vector<Finding>& findings) {
    std::vector<Finding> errors;
    for (const Finding& finding : findings) {
        if (finding.severity == Severity::Error) errors.push_back(finding);
    }
    return errors;
}

// The file the import would write, as the module reads it.
RuleFileView ImportedView(const std::string& file) {
    // The file holds UTF-16 only: no legacy text to decode.
    const LegacyTextDecoder noLegacyText = [](std::span<const unsigned char>) {
        return std::u16string();
    };
    return ViewRuleFile(BytesOf(file), noLegacyText, SystemCodePage());
}

// What check would report as errors in the file the import would write; each finding's line
// is the CSV line of its rule.
std::vector<Finding> ErrorsInImport(const CsvRules& imported, const RuleFileView& written) {
    std::vector<Finding> errors = ErrorsOf(CheckRuleFile(written));
    for (Finding& finding : errors) {
        finding.line = finding.rule > 0 ? imported.lines[static_cast<size_t>(finding.rule - 1)] : 0;
    }
    return errors;
}

// The rule file the import would replace, as the module reads it; an empty table when there
// is none.
struct CurrentFile {
    bool exists = false;
    std::string bytes;
    RuleFileView view;
};

// Only a file is read: a FIFO with a writer would never end, and the store refuses anything
// but a file as the target anyway.
std::optional<CurrentFile> ReadCurrentFile(const CommandContext& context, std::string& error) {
    const std::string& name = *context.invocation.output;
    const FileKind kind = context.files.KindOf(context.files.PathFromName(name));
    if (kind == FileKind::Special) {
        error = ReadFailureLine(name, FileFaultWords(context.files, {FileFault::NotAFile}));
        return std::nullopt;
    }
    CurrentFile current;
    if (kind != FileKind::Missing) {
        std::optional<std::string> bytes = ReadNamedFile(context.files, name, error);
        if (!bytes) return std::nullopt;
        current.exists = true;
        current.bytes = std::move(*bytes);
    }
    current.view = ViewRuleFile(BytesOf(current.bytes), SystemCodePageDecoder(), SystemCodePage());
    return current;
}

// A `?` in a field where the current file's rule of that number holds another character at
// that place: what a spreadsheet leaves of a character that the code page it saved in lacks
// (Korean saved in a Western one turns into "??").
struct LostCharacters {
    int line;  // of the CSV
    int rule;
    std::string_view column;
    std::u16string text, current;
};

bool QuestionMarkOverOtherText(std::u16string_view text, std::u16string_view current) {
    for (size_t i = 0; i < std::min(text.size(), current.size()); ++i) {
        if (text[i] == u'?' && current[i] != u'?') return true;
    }
    return false;
}

std::vector<LostCharacters> QuestionMarksOverText(const CsvRules& imported,
                                                  const RuleTable& current) {
    std::vector<LostCharacters> lost;
    for (int32_t n = 1; n <= std::min(imported.table.count(), current.count()); ++n) {
        for (const RuleFieldInfo& column : RuleTextFields()) {
            std::u16string text = FieldText(imported.table.rule(n), column);
            std::u16string before = FieldText(current.rule(n), column);
            if (QuestionMarkOverOtherText(text, before)) {
                lost.push_back({imported.lines[static_cast<size_t>(n - 1)], n, column.csvColumn,
                                std::move(text), std::move(before)});
            }
        }
    }
    return lost;
}

std::string Utf8(std::u16string_view text) {
    return Utf8FromUtf16(text, SurrogateForm::Replaced);
}

std::string LostCharactersMessage(const LostCharacters& lost, const std::string& file) {
    return "규칙 " + std::to_string(lost.rule) + "의 " + std::string(lost.column) + " \"" +
           Utf8(lost.text) + "\": ?인 자리에 지금 " + file + "에는 다른 글자가 있습니다 (\"" +
           Utf8(lost.current) +
           "\"). 스프레드시트가 UTF-8이 아닌 CSV로 저장하며 글자를 ?로 바꾸었을 수 있습니다 "
           "(CSV UTF-8로 다시 저장하십시오).";
}

// "warnings": [{"code", "line", "rule", "column", "text", "current", "message"}].
void WarningsJson(JsonWriter& json, const std::vector<LostCharacters>& lost,
                  const std::string& file) {
    json.Key("warnings").BeginArray();
    for (const LostCharacters& warning : lost) {
        json.BeginObject().Key("code").String("question-marks").Key("line").Integer(warning.line);
        json.Key("rule").Integer(warning.rule).Key("column").String(warning.column);
        json.Key("text").String(warning.text).Key("current").String(warning.current);
        json.Key("message").String(LostCharactersMessage(warning, file)).EndObject();
    }
    json.EndArray();
}

void PrintWarningsText(const CommandContext& context, const std::vector<LostCharacters>& lost) {
    for (const LostCharacters& warning : lost) {
        context.err << context.invocation.input << ":" << warning.line << ": [경고] "
                    << LostCharactersMessage(warning, *context.invocation.output) << "\n";
    }
}

// {"error": {"code": "check-errors", "message", "findings": [{"code", "line", "rule",
// "message"}], "warnings": [...]}}.
int RefuseFindings(const CommandContext& context, const std::vector<Finding>& errors,
                   const std::vector<LostCharacters>& lost) {
    const std::string& csv = context.invocation.input;
    const std::string message = "오류가 " + std::to_string(errors.size()) +
                                "개 있어 쓰지 않았습니다. 그래도 쓰려면 --force를 주십시오.";
    if (!context.invocation.json) {
        for (const Finding& finding : errors) {
            context.err << csv << ":" << finding.line << ": [오류] " << finding.code << " 규칙 "
                        << finding.rule << ": " << finding.message << "\n";
        }
        context.err << "quillet-rules: " << message << "\n";
        return kExitErrors;
    }
    return Fail(context, kExitErrors, "check-errors", message, [&](JsonWriter& json) {
        json.Key("findings").BeginArray();
        for (const Finding& finding : errors) {
            json.BeginObject().Key("code").String(finding.code);
            json.Key("line").IntegerOrNull(finding.line).Key("rule").IntegerOrNull(finding.rule);
            json.Key("message").String(finding.message).EndObject();
        }
        json.EndArray();
        WarningsJson(json, lost, *context.invocation.output);
    });
}

// {"file", "rules", "unchanged", "backup", "kept_copy", "dry_run", "separator", "warnings":
// [{"code", "line", "rule", "column", "text", "current", "message"}], "diff"}; "diff" is
// diff's report of the current file and the import for --dry-run, else null.
struct ImportReport {
    int32_t rules;
    char separator;
    const StoreOutcome& stored;
    const std::vector<LostCharacters>& lost;
    const std::vector<DiffSegment>* diff;
};

void PrintImportJson(const CommandContext& context, const ImportReport& report) {
    const std::string& file = *context.invocation.output;
    JsonWriter json;
    json.BeginObject().Key("file").String(file).Key("rules").Integer(report.rules);
    json.Key("unchanged").Bool(report.stored.unchanged).Key("backup");
    report.stored.backupKept ? json.String(file + ".bak") : json.Null();
    json.Key("kept_copy");
    report.stored.keptCopy.empty() ? json.Null() : json.String(report.stored.keptCopy);
    json.Key("dry_run").Bool(report.diff != nullptr);
    json.Key("separator").String(std::string(1, report.separator));
    WarningsJson(json, report.lost, file);
    json.Key("diff");
    if (report.diff) {
        DiffJsonMembers(json.BeginObject(), *report.diff);
        json.EndObject();
    } else {
        json.Null();
    }
    context.out << json.EndObject().Text() << "\n";
}

void PrintImported(const CommandContext& context, int32_t rules, const StoreOutcome& stored) {
    const std::string& file = *context.invocation.output;
    if (stored.unchanged) {
        context.out << file << "에 이미 이 규칙 " << rules << "개가 그대로 있어 쓰지 않았습니다. "
                    << file << ".bak도 그대로입니다.\n";
        return;
    }
    context.out << "규칙 " << rules << "개를 " << file << "에 썼습니다.";
    if (stored.backupKept) context.out << " 이전 파일은 " << file << ".bak에 있습니다.";
    if (!stored.keptCopy.empty()) {
        context.out << " 이전 파일에는 규칙이 아닌 줄이 있어 " << stored.keptCopy
                    << "에 영구히 보관하였습니다.";
    }
    context.out << "\n";
}

// --dry-run: diff's words for the current file against the import, and that nothing was
// written.
void PrintDryRun(const CommandContext& context, const CurrentFile& current, int32_t rules,
                 bool unchanged, const std::vector<DiffSegment>& diff) {
    const std::string& file = *context.invocation.output;
    PrintDiffText(context.out, current.exists ? file : file + " (없음)", context.invocation.input,
                  diff);
    context.out << "--dry-run: " << file << "에 쓰지 않았습니다 (규칙 " << rules << "개";
    if (unchanged) context.out << ", 파일에 이미 이 내용 그대로";
    context.out << ").\n";
}

std::string Environment(const char* name, const char* otherName) {
    const char* value = std::getenv(name);
    if (!value) value = std::getenv(otherName);
    return value ? value : "";
}

// Now, with the offset of this computer's clock from UTC.
Timestamp NowHere() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    const std::tm utc = *std::gmtime(&now);
    const auto millisecondsOf = [](const std::tm& time) {
        return MillisecondsSinceEpoch({time.tm_year + 1900, time.tm_mon + 1, time.tm_mday,
                                       time.tm_hour, time.tm_min, time.tm_sec, 0});
    };
    const int64_t offset = millisecondsOf(local) - millisecondsOf(utc);
    return {millisecondsOf(utc), static_cast<int32_t>(offset / 60'000)};
}

// The save as an act of the journal of the folder that holds the rule file
// ("<folder>\journal\<computer>.csv"), with the table it wrote kept by content there.
void JournalTheSave(const CommandContext& context, const CurrentFile* current,
                    const RuleTable& saved, const std::string& encoded) {
    const FilePath file = context.files.PathFromName(*context.invocation.output);
    const size_t separator = file.find_last_of(u"\\/");
    const char16_t slash = separator == FilePath::npos ? u'/' : file[separator];
    const FilePath folder =
        separator == FilePath::npos ? FilePath(u".") : file.substr(0, separator);
    const std::string computer = Environment("COMPUTERNAME", "HOSTNAME");
    const FilePath journalFolder = folder + slash + u"journal";
    SeatJournals journals;
    journals.sharedFolder = journalFolder;
    journals.shared =
        journalFolder + slash +
        Utf16FromUtf8Replacing(computer.empty() ? "computer" : computer, SurrogateForm::ThreeBytes)
            .text +
        u".csv";
    journals.sharedReachable = true;
    JournalAct act;
    act.time = NowHere();
    act.user = Environment("USERNAME", "USER");
    act.computer = computer;
    act.action = JournalAction::RulesSaved;
    act.actId = NewActId();
    act.rewriteId = act.actId;
    act.ruleFile = *context.invocation.output;
    act.ruleFileSha256 = Sha256Hex(encoded);
    RuleTable before;
    if (current && current->exists) {
        act.previousSha256 = Sha256Hex(current->bytes);
        before = current->view.table;
    }
    const RuleChangeRows rows(RuleChangesBetween(before, saved));
    const std::vector<JournalMiss> misses =
        RecordAct(context.files, journals, act, rows, {act.ruleFileSha256, encoded});
    for (const JournalMiss& miss : misses) {
        if (context.invocation.json) continue;
        context.err << "quillet-rules: 저장을 기록하지 못했습니다: "
                    << context.files.NameOf(miss.path) << " ("
                    << FileFaultWords(context.files, miss.status) << ")\n";
    }
}

}  // namespace

// Exit 1 when a field's question marks stand where the current file has other characters
// (the file is written all the same; its predecessor is the backup).
int RunImport(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    std::string error;
    const std::optional<std::string> csv = ReadNamedFile(context.files, invocation.input, error);
    if (!csv) return Fail(context, kExitFileFailed, "cannot-read", error);
    const CsvRules imported = RulesFromCsv(*csv);
    if (imported.separator == ';' && !invocation.json) {
        context.err << "quillet-rules: " << invocation.input
                    << ": 머리글이 세미콜론(;)으로 나뉘어 있어 세미콜론으로 나뉜 CSV로 읽습니다.\n";
    }
    if (!imported.problems.empty()) return RefuseCsv(context, imported.problems);
    if (imported.table.count() == 0 && !invocation.allowEmpty) {
        return Fail(
            context, kExitErrors, "no-rules",
            invocation.input + "에 규칙이 없습니다. 규칙 표를 비우려면 --allow-empty를 주십시오.");
    }
    // A current file that cannot be read is compared with only when it can: the store
    // reports it when it comes to replacing it.
    std::string currentError;
    const std::optional<CurrentFile> current = ReadCurrentFile(context, currentError);
    if (!current && invocation.dryRun) {
        return Fail(context, kExitFileFailed, "cannot-read", currentError);
    }
    const std::vector<LostCharacters> lost =
        current ? QuestionMarksOverText(imported, current->view.asWritten)
                : std::vector<LostCharacters>();
    const int status = lost.empty() ? kExitClean : kExitWarnings;
    if (!invocation.json) PrintWarningsText(context, lost);

    const std::string encoded = EncodeRuleFile(imported.table);
    const RuleFileView written = ImportedView(encoded);
    const std::vector<Finding> errors = ErrorsInImport(imported, written);
    if (!errors.empty() && !invocation.force) return RefuseFindings(context, errors, lost);

    const int32_t rules = imported.table.count();
    if (invocation.dryRun) {
        const std::vector<DiffSegment> diff = DiffRules(current->view.table, written.table);
        StoreOutcome nothing{};
        nothing.unchanged = current->exists && current->bytes == encoded;
        if (invocation.json) {
            PrintImportJson(context, {rules, imported.separator, nothing, lost, &diff});
        } else {
            PrintDryRun(context, *current, rules, nothing.unchanged, diff);
        }
        return status;
    }
    const StoreOutcome stored = StoreRuleFile(context.files, *invocation.output, imported.table);
    if (!stored.saved) return Fail(context, kExitFileFailed, "cannot-write", stored.error);
    if (!stored.unchanged)
        JournalTheSave(context, current ? &*current : nullptr, imported.table, encoded);
    if (invocation.json) {
        PrintImportJson(context, {rules, imported.separator, stored, lost, nullptr});
    } else {
        PrintImported(context, rules, stored);
    }
    return status;
}

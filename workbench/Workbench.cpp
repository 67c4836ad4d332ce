#include "workbench/Workbench.h"

#include "QuilletVersion.h"

#include <optional>
#include <ostream>
#include <sstream>

#include "platform/TextEncoding.h"
#include "platform/LegacyCodePage.h"
#include "rules/RuleFields.h"
#include "rules/RuleFileFormat.h"
#include "workbench/JournalCommand.h"
#include "workbench/Json.h"
#include "workbench/RuleStore.h"
#include "workbench/RulesCsv.h"
#include "workbench/TerminalText.h"
#include "workbench/WorkbenchCommands.h"

namespace {

std::span<const unsigned char> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

void PrintExportJson(std::ostream& out, const Invocation& invocation, const RuleFileView& file,
                     const std::vector<int>& notRead) {
    JsonWriter json;
    json.BeginObject().Key("encoding").String(EncodingName(file.encoding)).Key("output");
    invocation.output ? json.String(*invocation.output) : json.Null();
    json.Key("rules").BeginArray();
    for (int32_t n = 1; n <= file.asWritten.count(); ++n) {
        const HoleRule& rule = file.asWritten.rule(n);
        json.BeginObject().Key("rule").Integer(n);
        for (const RuleFieldInfo& field : kRuleFields) {
            json.Key(field.csvColumn);
            if (field.kind == RuleFieldKind::Flag) {
                json.Bool(rule.enabled != 0);
            } else {
                json.String(FieldText(rule, field));
            }
        }
        json.EndObject();
    }
    json.EndArray().Key("lines_not_read").BeginArray();
    for (const int line : notRead) json.Integer(line);
    json.EndArray().EndObject();
    out << json.Text() << "\n";
}

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

// What check would report as errors in the file the import would write; each finding's line
// is the CSV line of its rule.
std::vector<Finding> ErrorsInImport(const CsvRules& imported) {
    const std::string file = EncodeRuleFile(imported.table);
    // The file holds UTF-16 only: no legacy text to decode.
    const LegacyTextDecoder noLegacyText = [](std::span<const unsigned char>) {
        return std::u16string();
    };
    std::vector<Finding> errors =
        ErrorsOf(CheckRuleFile(ViewRuleFile(BytesOf(file), noLegacyText, SystemCodePage())));
    for (Finding& finding : errors) {
        finding.line = finding.rule > 0 ? imported.lines[static_cast<size_t>(finding.rule - 1)] : 0;
    }
    return errors;
}

// {"error": {"code": "check-errors", "message", "findings": [{"code", "line", "rule",
// "message"}]}}.
int RefuseFindings(const CommandContext& context, const std::vector<Finding>& errors) {
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
    });
}

void PrintImported(const CommandContext& context, int32_t rules, const StoreOutcome& stored) {
    const std::string& file = *context.invocation.output;
    if (!context.invocation.json && stored.unchanged) {
        context.out << file << "에 이미 이 규칙 " << rules << "개가 그대로 있어 쓰지 않았습니다. "
                    << file << ".bak도 그대로입니다.\n";
        return;
    }
    if (!context.invocation.json) {
        context.out << "규칙 " << rules << "개를 " << file << "에 썼습니다.";
        if (stored.backupKept) context.out << " 이전 파일은 " << file << ".bak에 있습니다.";
        if (!stored.keptCopy.empty()) {
            context.out << " 이전 파일에는 규칙이 아닌 줄이 있어 " << stored.keptCopy
                        << "에 영구히 보관하였습니다.";
        }
        context.out << "\n";
        return;
    }
    JsonWriter json;
    json.BeginObject().Key("file").String(file).Key("rules").Integer(rules);
    json.Key("unchanged").Bool(stored.unchanged).Key("backup");
    stored.backupKept ? json.String(file + ".bak") : json.Null();
    json.Key("kept_copy");
    stored.keptCopy.empty() ? json.Null() : json.String(stored.keptCopy);
    json.EndObject();
    context.out << json.Text() << "\n";
}

const char* SourceName(RuleFolderSource source) {
    switch (source) {
        case RuleFolderSource::Machine:
            return "machine";
        case RuleFolderSource::User:
            return "user";
        case RuleFolderSource::ModuleFolder:
            break;
    }
    return "module-folder";
}

const char* FaultName(RuleFolderFault fault) {
    switch (fault) {
        case RuleFolderFault::NotText:
            return "not-text";
        case RuleFolderFault::Empty:
            return "empty";
        case RuleFolderFault::Relative:
            return "relative";
        case RuleFolderFault::UnexpandedVariable:
            return "unexpanded-variable";
        case RuleFolderFault::None:
            break;
    }
    return "";
}

// What the module does while the setting cannot be used, as it tells it at the start.
constexpr std::string_view kUnusableSetting =
    "모듈은 규칙 폴더에 연결할 수 없을 때처럼 이 컴퓨터에 보관한 마지막 사본을 쓰고, 사본이 "
    "없으면 규칙 없이 시작합니다. 설정을 고칠 때까지 규칙을 저장할 수 없습니다.";

// Exit 2 when the setting cannot be used.
int RunWhere(const CommandContext& context) {
    if (!context.seat) {
        return Fail(context, kExitUsage, "windows-only", "where는 Windows에서만 쓸 수 있습니다.");
    }
    const RuleLocation& seat = *context.seat;
    const auto utf8 = [](const std::u16string& text) {
        return Utf8FromUtf16(text, SurrogateForm::Replaced);
    };
    const std::string setting = seat.configured() ? utf8(RuleFolderSettingName(seat.source))
                                                  : std::string("설정 없음: 모듈의 폴더");
    const int status = seat.usable() ? kExitClean : kExitErrors;
    if (!context.invocation.json) {
        if (seat.usable()) {
            context.out << "규칙 폴더: " << utf8(seat.folder) << "\n규칙 파일: " << utf8(seat.file)
                        << "\n설정: " << setting << "\n";
        } else {
            context.out << "규칙 폴더: (설정을 쓸 수 없음)\n설정: " << setting
                        << "\n문제: " << utf8(RuleFolderFaultText(seat)) << "\n"
                        << kUnusableSetting << "\n";
        }
        return status;
    }
    JsonWriter json;
    json.BeginObject().Key("folder");
    seat.usable() ? json.String(utf8(seat.folder)) : json.Null();
    json.Key("file");
    seat.usable() ? json.String(utf8(seat.file)) : json.Null();
    json.Key("source").String(SourceName(seat.source)).Key("problem");
    if (seat.usable()) {
        json.Null();
    } else {
        json.BeginObject().Key("code").String(FaultName(seat.fault));
        json.Key("message").String(utf8(RuleFolderFaultText(seat))).EndObject();
    }
    json.EndObject();
    context.out << json.Text() << "\n";
    return status;
}

int Dispatch(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    if (invocation.command == Command::Help) {
        context.out << kUsageText;
        return kExitClean;
    }
    if (invocation.command == Command::Version) {
        context.out << "quillet-rules " << kQuilletVersion << "\n";
        return kExitClean;
    }
    if (invocation.command == Command::Codes) return RunCodes(context);
    if (invocation.output && SameFile(context.files, invocation.input, *invocation.output)) {
        return Fail(context, kExitUsage, "same-file",
                    "-o가 읽는 파일과 같은 파일입니다: " + *invocation.output);
    }
    if (invocation.command == Command::Import) return RunImport(context);
    if (invocation.command == Command::Where) return RunWhere(context);
    const uint32_t codePage = invocation.codePage.value_or(SystemCodePage());
    const std::optional<LegacyTextDecoder> legacy =
        invocation.codePage ? CodePageDecoder(codePage) : SystemCodePageDecoder();
    if (!legacy) {
        return Fail(
            context, kExitUsage, "usage",
            "이 시스템은 코드 페이지 " + std::to_string(codePage) + "을(를) 읽을 수 없습니다.");
    }
    std::string error;
    const std::optional<std::string> bytes = ReadNamedFile(context.files, invocation.input, error);
    if (!bytes) return Fail(context, kExitFileFailed, "cannot-read", error);
    const RuleFileView file = ViewRuleFile(BytesOf(*bytes), *legacy, codePage);
    switch (invocation.command) {
        case Command::Check:
            return RunCheck(context, file);
        case Command::Map:
            return invocation.svg ? RunMapPicture(context, file) : RunMap(context, file);
        case Command::Diff: {
            const std::optional<std::string> newer =
                ReadNamedFile(context.files, invocation.secondInput, error);
            if (!newer) return Fail(context, kExitFileFailed, "cannot-read", error);
            return RunDiff(context, file, ViewRuleFile(BytesOf(*newer), *legacy, codePage));
        }
        case Command::Explain:
            return RunExplain(context, file);
        default:
            return RunExport(context, file);
    }
}

}  // namespace

int Fail(const CommandContext& context, int status, std::string_view code,
         const std::string& message, const std::function<void(JsonWriter&)>& details) {
    if (!context.invocation.json) {
        context.err << "quillet-rules: " << message << "\n";
        return status;
    }
    JsonWriter json;
    json.BeginObject().Key("error").BeginObject().Key("code").String(code);
    json.Key("message").String(message);
    if (details) details(json);
    json.EndObject().EndObject();
    context.out << json.Text() << "\n";
    return status;
}

// Lines the module does not read are not in the CSV either; the exit status says so.
int RunExport(const CommandContext& context, const RuleFileView& file) {
    const Invocation& invocation = context.invocation;
    const std::string csv = RulesToCsv(file.asWritten);
    if (invocation.output) {
        const StoreOutcome written = StoreWholeFile(context.files, *invocation.output, csv);
        if (!written.saved) return Fail(context, kExitFileFailed, "cannot-write", written.error);
    }
    const std::vector<int> notRead = LinesDroppedBySave(file);
    if (invocation.json) {
        PrintExportJson(context.out, invocation, file, notRead);
    } else if (invocation.output) {
        context.out << "규칙 " << file.table.count() << "개를 " << *invocation.output
                    << "에 썼습니다.\n";
    } else {
        context.out << csv;
    }
    if (notRead.empty()) return kExitClean;
    if (!invocation.json) {
        context.err << "quillet-rules: 줄 " << NumberList(notRead)
                    << "은(는) 모듈이 읽지 않는 줄이라 CSV에 없습니다.\n";
    }
    return kExitWarnings;
}

int RunImport(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    std::string error;
    const std::optional<std::string> csv = ReadNamedFile(context.files, invocation.input, error);
    if (!csv) return Fail(context, kExitFileFailed, "cannot-read", error);
    const CsvRules imported = RulesFromCsv(*csv);
    if (!imported.problems.empty()) return RefuseCsv(context, imported.problems);
    if (imported.table.count() == 0 && !invocation.allowEmpty) {
        return Fail(
            context, kExitErrors, "no-rules",
            invocation.input + "에 규칙이 없습니다. 규칙 표를 비우려면 --allow-empty를 주십시오.");
    }
    const std::vector<Finding> errors = ErrorsInImport(imported);
    if (!errors.empty() && !invocation.force) return RefuseFindings(context, errors);
    const StoreOutcome stored = StoreRuleFile(context.files, *invocation.output, imported.table);
    if (!stored.saved) return Fail(context, kExitFileFailed, "cannot-write", stored.error);
    PrintImported(context, imported.table.count(), stored);
    return kExitClean;
}

int RunWorkbench(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                 FilePort& files, bool outIsTerminal, const RuleLocation* seat) {
    if (!args.empty() && args[0] == "journal") {
        return RunJournalCommand(args.subspan(1), out, err, files, outIsTerminal, seat);
    }
    std::ostringstream report, diagnostics;
    auto parsed = ParseArguments(args);
    Invocation invocation;
    int status = kExitUsage;
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        invocation.json = usage->json;
        status = Fail({invocation, report, diagnostics, files, seat}, kExitUsage, "usage",
                      usage->message);
        if (!usage->json) diagnostics << kUsageText;
    } else {
        invocation = std::get<Invocation>(parsed);
        status = Dispatch({invocation, report, diagnostics, files, seat});
    }
    // JSON is escaped already, and a CSV that is not shown on a terminal is data.
    const bool csvData =
        invocation.command == Command::Export && !invocation.output && !outIsTerminal;
    out << (invocation.json || csvData ? report.str() : TerminalText(report.str()));
    err << TerminalText(diagnostics.str());
    return status;
}

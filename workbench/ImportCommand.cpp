// import: a CSV checked as the module would read it, then written as the rule file.
#include <vector>

#include "platform/LegacyCodePage.h"
#include "platform/TextEncoding.h"
#include "rules/RuleFileFormat.h"
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

}  // namespace

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

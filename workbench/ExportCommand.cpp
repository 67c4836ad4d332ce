// export: a rule table as CSV (printed, or written with -o), or as JSON.
#include <vector>

#include "rules/RuleFields.h"
#include "workbench/Json.h"
#include "workbench/NamedFiles.h"
#include "workbench/ReportWords.h"
#include "workbench/RulesCsv.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

void PrintExportJson(std::ostream& out, const Invocation& invocation, const RuleFileView& file,
                     const std::vector<int>& notRead) {
    JsonWriter json;
    json.BeginObject().Key("encoding").String(EncodingName(file.encoding)).Key("output");
    invocation.output ? json.String(*invocation.output) : json.Null();
    json.Key("bom").Bool(invocation.output && !invocation.noBom);
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

}  // namespace

// Lines the module does not read are not in the CSV either; the exit status says so. A file
// starts with the UTF-8 mark unless --no-bom; standard output never does, as a pipe's reader
// would take the mark for text.
int RunExport(const CommandContext& context, const RuleFileView& file) {
    const Invocation& invocation = context.invocation;
    const std::string csv = RulesToCsv(file.asWritten);
    if (invocation.output) {
        const StoreOutcome written =
            StoreWholeFile(context.files, *invocation.output,
                           invocation.noBom ? csv : std::string(kUtf8Mark) + csv);
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

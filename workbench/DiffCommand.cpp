// diff: where two rule tables act differently, as text, JSON and with --svg a picture.
#include "workbench/Json.h"
#include "workbench/MapPicture.h"
#include "workbench/PictureFile.h"
#include "workbench/ReportWords.h"
#include "workbench/RuleDiff.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

constexpr int kExitTablesDiffer = 1;

}  // namespace

void PrintDiffText(std::ostream& out, std::string_view before, std::string_view after,
                   const std::vector<DiffSegment>& diff) {
    out << "이전: " << before << "\n새: " << after << "\n";
    size_t pieces = 0;
    for (const DiffSegment& segment : diff) {
        out << "코드 " << segment.codeFrom << " ~ " << segment.codeTo << "\n";
        for (const DiffChange& change : segment.changes) {
            ++pieces;
            const auto outcome = [](const StepOutcome& o) {
                return o.changed ? TextNumber(o.result) + " (규칙 " + NumberList(o.rules) + ")"
                                 : std::string("그대로");
            };
            out << "  지름 " << IntervalText(change.low, change.high) << ": "
                << outcome(change.before) << " → " << outcome(change.after) << "\n";
        }
    }
    if (diff.empty()) {
        out << "두 표는 모든 단계에서 같게 동작합니다.\n";
    } else {
        out << "두 표가 다르게 동작하는 조각이 " << pieces
            << "개입니다. 나열되지 않은 코드와 지름에서는 같습니다.\n";
    }
}

namespace {

void WriteOutcome(JsonWriter& json, const StepOutcome& outcome) {
    if (!outcome.changed) {
        json.Null();
        return;
    }
    json.BeginObject().Key("result").Number(outcome.result).Key("rules").BeginArray();
    for (const int rule : outcome.rules) json.Integer(rule);
    json.EndArray().EndObject();
}

}  // namespace

void DiffJsonMembers(JsonWriter& json, const std::vector<DiffSegment>& diff) {
    json.Key("same").Bool(diff.empty()).Key("segments").BeginArray();
    for (const DiffSegment& segment : diff) {
        json.BeginObject().Key("code_from").Integer(segment.codeFrom);
        json.Key("code_to").Integer(segment.codeTo).Key("changes").BeginArray();
        for (const DiffChange& change : segment.changes) {
            IntervalJson(json.BeginObject(), change.low, change.high);
            WriteOutcome(json.Key("old"), change.before);
            WriteOutcome(json.Key("new"), change.after);
            json.EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray();
}

// Exit 0 when the tables act alike on every step, 1 when they do not.
int RunDiff(const CommandContext& context, const RuleFileView& before, const RuleFileView& after) {
    const Invocation& invocation = context.invocation;
    const std::vector<DiffSegment> diff = DiffRules(before.table, after.table);
    if (invocation.svg) {
        const std::string svg = DiffPictureSvg(before.table, after.table, diff,
                                               SourceOf(context.files, invocation.input),
                                               SourceOf(context.files, invocation.secondInput));
        const PictureWrite written = WritePictureFile(context.files, *invocation.svg, svg,
                                                      {invocation.input, invocation.secondInput});
        if (!written.written) return Fail(context, kExitFileFailed, "cannot-write", written.error);
    }
    if (invocation.json) {
        JsonWriter json;
        DiffJsonMembers(json.BeginObject(), diff);
        json.Key("picture");
        invocation.svg ? json.String(*invocation.svg) : json.Null();
        context.out << json.EndObject().Text() << "\n";
    } else {
        PrintDiffText(context.out, invocation.input, invocation.secondInput, diff);
    }
    return diff.empty() ? kExitClean : kExitTablesDiffer;
}

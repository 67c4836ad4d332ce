// map: what every code and diameter becomes under the rules that are on; with --svg also as
// a picture.
#include <optional>

#include "workbench/Json.h"
#include "workbench/MapPicture.h"
#include "workbench/PictureFile.h"
#include "workbench/ReportWords.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

void PrintMapText(std::ostream& out, const std::vector<MapSegment>& segments) {
    for (const MapSegment& segment : segments) {
        out << "코드 " << segment.codeFrom << " ~ " << segment.codeTo << "\n";
        for (const MapChange& change : segment.changes) {
            out << "  지름 " << IntervalText(change.low, change.high) << " → "
                << TextNumber(change.result) << " (규칙 " << NumberList(change.rules) << ")\n";
        }
    }
    out << (segments.empty() ? "켜진 규칙이 맞는 지름이 없어 아무것도 바뀌지 않습니다.\n"
                             : "나열되지 않은 코드와 지름은 그대로입니다.\n");
}

// "picture": the file map --svg wrote, else null.
void PrintMapJson(std::ostream& out, const std::vector<MapSegment>& segments,
                  const std::optional<std::string>& picture) {
    JsonWriter json;
    json.BeginObject().Key("segments").BeginArray();
    for (const MapSegment& segment : segments) {
        json.BeginObject().Key("code_from").Integer(segment.codeFrom);
        json.Key("code_to").Integer(segment.codeTo).Key("changes").BeginArray();
        for (const MapChange& change : segment.changes) {
            IntervalJson(json.BeginObject(), change.low, change.high);
            json.Key("result").Number(change.result).Key("rules").BeginArray();
            for (const int rule : change.rules) json.Integer(rule);
            json.EndArray().EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray().Key("picture");
    picture ? json.String(*picture) : json.Null();
    json.EndObject();
    out << json.Text() << "\n";
}

}  // namespace

int RunMap(const CommandContext& context, const RuleFileView& file) {
    const std::vector<MapSegment> segments = MapRules(file.table);
    if (context.invocation.json) {
        PrintMapJson(context.out, segments, context.invocation.svg);
    } else {
        PrintMapText(context.out, segments);
    }
    return kExitClean;
}

int RunMapPicture(const CommandContext& context, const RuleFileView& file) {
    const Invocation& invocation = context.invocation;
    const std::string svg =
        MapPictureSvg(file.table, MapRules(file.table), SourceOf(context.files, invocation.input));
    const PictureWrite written =
        WritePictureFile(context.files, *invocation.svg, svg, {invocation.input});
    if (!written.written) return Fail(context, kExitFileFailed, "cannot-write", written.error);
    return RunMap(context, file);
}

// map --svg and diff: the pictures, the difference report, and writing a picture file.
#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <optional>

#include "workbench/Json.h"
#include "workbench/MapPicture.h"
#include "workbench/RuleDiff.h"
#include "workbench/RuleStore.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

constexpr int kExitTablesDiffer = 1;

struct PictureWrite {
    bool written = false;
    std::string error;  // Korean, UTF-8
};

// The picture replaces its file through the rule store's whole-file write, so a reader never
// sees half a picture; a target that is one of the `inputs` is refused.
PictureWrite WritePictureFile(FilePort& files, const std::string& target, const std::string& svg,
                              std::initializer_list<std::string> inputs) {
    for (const std::string& input : inputs) {
        if (SameFile(files, target, input)) {
            return {false, "읽은 규칙 파일 위에 그림을 쓰지 않습니다: " + target};
        }
    }
    const StoreOutcome stored = StoreWholeFile(files, target, svg);
    return {stored.saved, stored.error};
}

// When the file was last written, in UTC so that the picture says the same everywhere.
std::string FileTime(FilePort& files, const std::string& name) {
    const std::optional<FileInfo> info = files.InfoOf(files.PathFromName(name));
    if (!info) return {};
    using namespace std::chrono;
    const auto time = floor<minutes>(sys_seconds(seconds(info->modified)));
    const year_month_day date{floor<days>(time)};
    const hh_mm_ss clock{time - floor<days>(time)};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld UTC",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<long>(clock.hours().count()),
                  static_cast<long>(clock.minutes().count()));
    return text;
}

PictureSource SourceOf(FilePort& files, const std::string& name) {
    return {name, FileTime(files, name)};
}

void PrintDiffText(std::ostream& out, const Invocation& invocation,
                   const std::vector<DiffSegment>& diff) {
    out << "이전: " << invocation.input << "\n새: " << invocation.secondInput << "\n";
    size_t pieces = 0;
    for (const DiffSegment& segment : diff) {
        out << "코드 " << segment.codeFrom << " ~ " << segment.codeTo << "\n";
        for (const DiffChange& change : segment.changes) {
            ++pieces;
            const auto outcome = [](const StepOutcome& o) {
                return o.changed ? TextNumber(o.result) + " (규칙 " + NumberList(o.rules) + ")"
                                 : std::string("그대로");
            };
            out << "  지름 " << DiameterInterval(change.low, change.high) << ": "
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

void WriteOutcome(JsonWriter& json, const StepOutcome& outcome) {
    if (!outcome.changed) {
        json.Null();
        return;
    }
    json.BeginObject().Key("result").Number(outcome.result).Key("rules").BeginArray();
    for (const int rule : outcome.rules) json.Integer(rule);
    json.EndArray().EndObject();
}

void PrintDiffJson(std::ostream& out, const std::vector<DiffSegment>& diff) {
    JsonWriter json;
    json.BeginObject().Key("same").Bool(diff.empty()).Key("segments").BeginArray();
    for (const DiffSegment& segment : diff) {
        json.BeginObject().Key("code_from").Integer(segment.codeFrom);
        json.Key("code_to").Integer(segment.codeTo).Key("changes").BeginArray();
        for (const DiffChange& change : segment.changes) {
            json.BeginObject().Key("low").Number(change.low).Key("high").Number(change.high);
            WriteOutcome(json.Key("old"), change.before);
            WriteOutcome(json.Key("new"), change.after);
            json.EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray().EndObject();
    out << json.Text() << "\n";
}

}  // namespace

int RunMapPicture(const CommandContext& context, const RuleFileView& file) {
    const Invocation& invocation = context.invocation;
    const std::string svg =
        MapPictureSvg(file.table, MapRules(file.table), SourceOf(context.files, invocation.input));
    const PictureWrite written =
        WritePictureFile(context.files, *invocation.svg, svg, {invocation.input});
    if (!written.written) return Fail(context, kExitFileFailed, "cannot-write", written.error);
    return RunMap(context, file);
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
        PrintDiffJson(context.out, diff);
    } else {
        PrintDiffText(context.out, invocation, diff);
    }
    return diff.empty() ? kExitClean : kExitTablesDiffer;
}

// The commands of quillet-rules behind RunWorkbench.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FilePort.h"
#include "rules/RuleFolder.h"
#include "workbench/Arguments.h"
#include "workbench/RuleFileLines.h"

struct CommandContext {
    const Invocation& invocation;
    std::ostream& out;
    std::ostream& err;
    FilePort& files;
    const RuleLocation* seat;  // the module's rule file on this computer; null off Windows
};

int RunCheck(const CommandContext& context, const RuleFileView& file);
int RunMap(const CommandContext& context, const RuleFileView& file);
int RunExplain(const CommandContext& context, const RuleFileView& file);
int RunExport(const CommandContext& context, const RuleFileView& file);
int RunImport(const CommandContext& context);
int RunCodes(const CommandContext& context);
// map with --svg: writes the picture, then reports as map does.
int RunMapPicture(const CommandContext& context, const RuleFileView& file);
int RunDiff(const CommandContext& context, const RuleFileView& before, const RuleFileView& after);

class JsonWriter;

// Reports a failure (a JSON {"error": {"code", "message"}} with --json, `details` adding
// members after the message) and returns `status`.
int Fail(const CommandContext& context, int status, std::string_view code,
         const std::string& message, const std::function<void(JsonWriter&)>& details = {});

// "1, 3, 4".
std::string NumberList(const std::vector<int>& numbers);

// A closed binary64 interval as a shop reads it: "8 이상 8.1 미만", "8.99 초과", "8.5". An end
// is named open by the neighbour beyond it when that reads shorter.
std::string IntervalText(double low, double high);
// Whether the end `bound` of an interval reaching no further towards `outward` reads as open.
bool EndIsOpen(double bound, double outward);

// Numbers for people: the shortest text that reads back, infinities as "∞" and "-∞".
std::string TextNumber(double value);

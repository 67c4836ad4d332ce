// The commands of quillet-rules behind RunWorkbench, one file each (CheckCommand.cpp, ...).
#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "platform/FilePort.h"
#include "rules/RuleFolder.h"
#include "workbench/Arguments.h"
#include "workbench/RuleFileLines.h"
#include "workbench/Workbench.h"

struct CommandContext {
    const Invocation& invocation;
    std::ostream& out;
    std::ostream& err;
    FilePort& files;
    const Seat* seat;  // the module on this computer; null off Windows
};

int RunCheck(const CommandContext& context, const RuleFileView& file);
int RunMap(const CommandContext& context, const RuleFileView& file);
// map with --svg: writes the picture, then reports as map does.
int RunMapPicture(const CommandContext& context, const RuleFileView& file);
int RunExplain(const CommandContext& context, const RuleFileView& file);
int RunExport(const CommandContext& context, const RuleFileView& file);
int RunImport(const CommandContext& context);
int RunCodes(const CommandContext& context);
int RunWhere(const CommandContext& context);
int RunDiff(const CommandContext& context, const RuleFileView& before, const RuleFileView& after);

class JsonWriter;

// Reports a failure (a JSON {"error": {"code", "message"}} with --json, `details` adding
// members after the message) and returns `status`.
int Fail(const CommandContext& context, int status, std::string_view code,
         const std::string& message, const std::function<void(JsonWriter&)>& details = {});

inline std::span<const unsigned char> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

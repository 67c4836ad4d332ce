// The commands of quillet-rules behind RunWorkbench.
#pragma once

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

// Reports a failure (a JSON {"error": {"code", "message"}} with --json) and returns `status`.
int Fail(const CommandContext& context, int status, std::string_view code,
         const std::string& message);

// "1, 3, 4".
std::string NumberList(const std::vector<int>& numbers);

// Numbers for people: the shortest text that reads back, infinities as "∞" and "-∞".
std::string TextNumber(double value);

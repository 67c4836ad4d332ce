// The commands of quillet-rules behind RunWorkbench, one file each (CheckCommand.cpp, ...).
#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FilePort.h"
#include "rules/RuleFolder.h"
#include "workbench/Arguments.h"
#include "workbench/RuleDiff.h"
#include "workbench/RuleFileLines.h"
#include "workbench/Workbench.h"

struct CommandContext {
    const Invocation& invocation;
    std::ostream& out;
    std::ostream& err;
    FilePort& files;
    const Seat* seat;  // the module on this computer; null off Windows
    bool outIsTerminal;
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
int RunCopyToShare(const CommandContext& context);
// Writes to the program's streams as it reads (JournalCommand.cpp).
int RunJournal(const CommandContext& context);
int RunDiff(const CommandContext& context, const RuleFileView& before, const RuleFileView& after);

class JsonWriter;

// diff's report of two tables, also for import --dry-run: the text, naming the tables
// `before` and `after`, and the JSON members "same" and "segments" of an open object.
void PrintDiffText(std::ostream& out, std::string_view before, std::string_view after,
                   const std::vector<DiffSegment>& diff);
void DiffJsonMembers(JsonWriter& json, const std::vector<DiffSegment>& diff);

// Reports a failure (a JSON {"error": {"code", "message"}} with --json, `details` adding
// members after the message) and returns `status`.
int Fail(const CommandContext& context, int status, std::string_view code,
         const std::string& message, const std::function<void(JsonWriter&)>& details = {});

inline std::span<const unsigned char> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

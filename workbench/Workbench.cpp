#include "workbench/Workbench.h"

#include <ostream>
#include <sstream>

#include "workbench/TerminalText.h"
#include "workbench/WorkbenchCommands.h"

int RunWorkbench(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                 FilePort& files, bool outIsTerminal, const Seat* seat) {
    std::ostringstream report, diagnostics;
    auto parsed = ParseArguments(args);
    Invocation invocation;
    int status = kExitUsage;
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        invocation.json = usage->json;
        status = Fail({invocation, report, diagnostics, files, seat, outIsTerminal}, kExitUsage,
                      "usage", usage->message);
        if (!usage->json) diagnostics << UsageText();
    } else {
        invocation = std::get<Invocation>(parsed);
        const CommandSpec& command = *invocation.command;
        if (command.streams) return command.run({invocation, out, err, files, seat, outIsTerminal});
        status = command.run({invocation, report, diagnostics, files, seat, outIsTerminal});
    }
    // JSON is escaped already, and a CSV that is not shown on a terminal is data.
    const bool csvData = invocation.command && invocation.command->reportIsData &&
                         !invocation.output && !outIsTerminal;
    out << (invocation.json || csvData ? report.str() : TerminalText(report.str()));
    err << TerminalText(diagnostics.str());
    return status;
}

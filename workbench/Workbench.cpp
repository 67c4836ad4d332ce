#include "workbench/Workbench.h"

#include "QuilletVersion.h"

#include <optional>
#include <ostream>
#include <sstream>

#include "platform/LegacyCodePage.h"
#include "workbench/JournalCommand.h"
#include "workbench/Json.h"
#include "workbench/NamedFiles.h"
#include "workbench/TerminalText.h"
#include "workbench/WorkbenchCommands.h"

namespace {

int Dispatch(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    if (invocation.command == Command::Help || invocation.command == Command::Version) {
        if (!invocation.json) {
            context.out << (invocation.command == Command::Help
                                ? UsageText()
                                : "quillet-rules " + std::string(kQuilletVersion) + "\n");
            return kExitClean;
        }
        JsonWriter json;
        json.BeginObject().Key("program").String("quillet-rules");
        json.Key("version").String(kQuilletVersion);
        if (invocation.command == Command::Help) UsageJson(json);
        context.out << json.EndObject().Text() << "\n";
        return kExitClean;
    }
    if (invocation.command == Command::Codes) return RunCodes(context);
    if (invocation.output && SameFile(context.files, invocation.input, *invocation.output)) {
        return Fail(context, kExitUsage, "same-file",
                    "-o가 읽는 파일과 같은 파일입니다: " + *invocation.output);
    }
    if (invocation.command == Command::Import) return RunImport(context);
    if (invocation.command == Command::Where) return RunWhere(context);
    if (invocation.command == Command::CopyToShare) return RunCopyToShare(context);
    const uint32_t codePage = invocation.codePage.value_or(SystemCodePage());
    const std::optional<LegacyTextDecoder> legacy =
        invocation.codePage ? CodePageDecoder(codePage) : SystemCodePageDecoder();
    if (!legacy) {
        return Fail(
            context, kExitUsage, "usage",
            "이 시스템은 코드 페이지 " + std::to_string(codePage) + "을(를) 읽을 수 없습니다.");
    }
    std::string error;
    const std::optional<std::string> bytes = ReadNamedFile(context.files, invocation.input, error);
    if (!bytes) return Fail(context, kExitFileFailed, "cannot-read", error);
    const RuleFileView file = ViewRuleFile(BytesOf(*bytes), *legacy, codePage);
    switch (invocation.command) {
        case Command::Check:
            return RunCheck(context, file);
        case Command::Map:
            return invocation.svg ? RunMapPicture(context, file) : RunMap(context, file);
        case Command::Diff: {
            const std::optional<std::string> newer =
                ReadNamedFile(context.files, invocation.secondInput, error);
            if (!newer) return Fail(context, kExitFileFailed, "cannot-read", error);
            return RunDiff(context, file, ViewRuleFile(BytesOf(*newer), *legacy, codePage));
        }
        case Command::Explain:
            return RunExplain(context, file);
        default:
            return RunExport(context, file);
    }
}

}  // namespace

int RunWorkbench(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                 FilePort& files, bool outIsTerminal, const Seat* seat) {
    if (!args.empty() && args[0] == "journal") {
        return RunJournalCommand(args.subspan(1), out, err, files, outIsTerminal,
                                 seat ? &seat->location : nullptr);
    }
    std::ostringstream report, diagnostics;
    auto parsed = ParseArguments(args);
    Invocation invocation;
    int status = kExitUsage;
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        invocation.json = usage->json;
        status = Fail({invocation, report, diagnostics, files, seat}, kExitUsage, "usage",
                      usage->message);
        if (!usage->json) diagnostics << UsageText();
    } else {
        invocation = std::get<Invocation>(parsed);
        status = Dispatch({invocation, report, diagnostics, files, seat});
    }
    // JSON is escaped already, and a CSV that is not shown on a terminal is data.
    const bool csvData =
        invocation.command == Command::Export && !invocation.output && !outIsTerminal;
    out << (invocation.json || csvData ? report.str() : TerminalText(report.str()));
    err << TerminalText(diagnostics.str());
    return status;
}

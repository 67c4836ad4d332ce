#include "workbench/Workbench.h"

#include "QuilletVersion.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>

#include "rules/LegacyCodePage.h"
#include "workbench/Json.h"
#include "workbench/RuleStore.h"
#include "workbench/RulesCsv.h"
#include "workbench/WorkbenchCommands.h"

namespace fs = std::filesystem;

namespace {

fs::path PathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// The whole file, or nothing with `error` set.
std::optional<std::string> ReadWholeFile(const std::string& name, std::string& error) {
    const auto fail = [&](const char* why) -> std::optional<std::string> {
        error = "파일을 읽을 수 없습니다: " + name + " (" + why + ")";
        return std::nullopt;
    };
    const fs::path path = PathFromUtf8(name);
    std::error_code status;
    if (fs::is_directory(path, status)) return fail("폴더입니다");
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(fs::exists(path, status) ? "열 수 없습니다" : "파일이 없습니다");
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) return fail("읽는 중 오류가 났습니다");
    return bytes;
}

bool WriteWholeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(PathFromUtf8(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::span<const unsigned char> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

std::vector<int> LinesNotRead(const RuleFileView& file) {
    std::vector<int> lines;
    for (const FileLine& line : file.lines) {
        if (line.kind == LineKind::Skipped || line.kind == LineKind::Beyond49) {
            lines.push_back(line.line);
        }
    }
    return lines;
}

void PrintExportJson(std::ostream& out, const Invocation& invocation, const RuleFileView& file,
                     const std::vector<int>& notRead) {
    JsonWriter json;
    json.BeginObject().Key("encoding").String(EncodingName(file.encoding)).Key("output");
    invocation.output ? json.String(*invocation.output) : json.Null();
    json.Key("rules").BeginArray();
    for (int32_t n = 1; n <= file.asWritten.count(); ++n) {
        const HoleRule& rule = file.asWritten.rule(n);
        json.BeginObject().Key("rule").Integer(n).Key("enabled").Bool(rule.isDisplay != 0);
        json.Key("code_from").String(rule.CodeFrom).Key("code_to").String(rule.CodeTo);
        json.Key("diameter_from").String(rule.DiameterFrom);
        json.Key("diameter_to").String(rule.DiameterTo);
        json.Key("diameter_modify").String(rule.DiameterModify).EndObject();
    }
    json.EndArray().Key("lines_not_read").BeginArray();
    for (const int line : notRead) json.Integer(line);
    json.EndArray().EndObject();
    out << json.Text() << "\n";
}

void PrintImportProblems(const CommandContext& context, const std::vector<CsvProblem>& problems) {
    if (!context.invocation.json) {
        for (const CsvProblem& problem : problems) {
            context.err << context.invocation.input << ":" << problem.line << ": "
                        << problem.message << "\n";
        }
        return;
    }
    JsonWriter json;
    json.BeginObject().Key("errors").BeginArray();
    for (const CsvProblem& problem : problems) {
        json.BeginObject().Key("line").Integer(problem.line);
        json.Key("message").String(problem.message).EndObject();
    }
    json.EndArray().EndObject();
    context.out << json.Text() << "\n";
}

void PrintImported(const CommandContext& context, int32_t rules, const StoreOutcome& stored) {
    const std::string& file = *context.invocation.output;
    if (!context.invocation.json) {
        context.out << "규칙 " << rules << "개를 " << file << "에 썼습니다.";
        if (stored.backupKept) context.out << " 이전 파일은 " << file << ".bak에 있습니다.";
        context.out << "\n";
        return;
    }
    JsonWriter json;
    json.BeginObject().Key("file").String(file).Key("rules").Integer(rules).Key("backup");
    stored.backupKept ? json.String(file + ".bak") : json.Null();
    json.EndObject();
    context.out << json.Text() << "\n";
}

int Dispatch(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    if (invocation.command == Command::Help) {
        context.out << kUsageText;
        return kExitClean;
    }
    if (invocation.command == Command::Version) {
        context.out << "quillet-rules " << kQuilletVersion << "\n";
        return kExitClean;
    }
    if (invocation.command == Command::Import) return RunImport(context);
    const uint32_t codePage = invocation.codePage.value_or(SystemCodePage());
    const std::optional<LegacyTextDecoder> legacy =
        invocation.codePage ? CodePageDecoder(codePage) : SystemCodePageDecoder();
    if (!legacy) {
        return Fail(
            context, kExitUsage, "usage",
            "이 시스템은 코드 페이지 " + std::to_string(codePage) + "을(를) 읽을 수 없습니다.");
    }
    std::string error;
    const std::optional<std::string> bytes = ReadWholeFile(invocation.input, error);
    if (!bytes) return Fail(context, kExitFileFailed, "cannot-read", error);
    const RuleFileView file = ViewRuleFile(BytesOf(*bytes), *legacy, codePage);
    switch (invocation.command) {
        case Command::Check:
            return RunCheck(context, file);
        case Command::Map:
            return RunMap(context, file);
        case Command::Explain:
            return RunExplain(context, file);
        default:
            return RunExport(context, file);
    }
}

}  // namespace

int Fail(const CommandContext& context, int status, std::string_view code,
         const std::string& message) {
    if (!context.invocation.json) {
        context.err << "quillet-rules: " << message << "\n";
        return status;
    }
    JsonWriter json;
    json.BeginObject().Key("error").BeginObject().Key("code").String(code);
    json.Key("message").String(message).EndObject().EndObject();
    context.out << json.Text() << "\n";
    return status;
}

// Lines the module does not read are not in the CSV either; the exit status says so.
int RunExport(const CommandContext& context, const RuleFileView& file) {
    const Invocation& invocation = context.invocation;
    const std::string csv = RulesToCsv(file.asWritten);
    if (invocation.output && !WriteWholeFile(*invocation.output, csv)) {
        return Fail(context, kExitFileFailed, "cannot-write",
                    "파일을 쓸 수 없습니다: " + *invocation.output);
    }
    const std::vector<int> notRead = LinesNotRead(file);
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

int RunImport(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    std::string error;
    const std::optional<std::string> csv = ReadWholeFile(invocation.input, error);
    if (!csv) return Fail(context, kExitFileFailed, "cannot-read", error);
    const CsvRules imported = RulesFromCsv(*csv);
    if (!imported.problems.empty()) {
        PrintImportProblems(context, imported.problems);
        return kExitErrors;
    }
    const StoreOutcome stored = StoreRuleFile(PathFromUtf8(*invocation.output), imported.table);
    if (!stored.saved) return Fail(context, kExitFileFailed, "cannot-write", stored.error);
    PrintImported(context, imported.table.count(), stored);
    return kExitClean;
}

int RunWorkbench(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    auto parsed = ParseArguments(args);
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        Invocation invocation;
        invocation.json = usage->json;
        const CommandContext context{invocation, out, err};
        const int status = Fail(context, kExitUsage, "usage", usage->message);
        if (!usage->json) err << kUsageText;
        return status;
    }
    const CommandContext context{std::get<Invocation>(parsed), out, err};
    return Dispatch(context);
}

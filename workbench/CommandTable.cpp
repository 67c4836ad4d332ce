// The table of quillet-rules' commands: each with its synopsis, the options it takes and the
// function that runs it. Parsing, --help and its JSON are read from here (Arguments.cpp).
#include "QuilletVersion.h"

#include <charconv>

#include "platform/LegacyCodePage.h"
#include "workbench/Arguments.h"
#include "workbench/Json.h"
#include "workbench/NamedFiles.h"
#include "workbench/WorkbenchCommands.h"

namespace {

// ---- How values are read -------------------------------------------------------------------

template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

template <auto Field>
std::optional<std::string> ReadText(Invocation& invocation, const std::string& value) {
    invocation.*Field = value;
    return std::nullopt;
}

template <auto Field, const std::string_view& Name>
std::optional<std::string> ReadWhole(Invocation& invocation, const std::string& value) {
    invocation.*Field = WholeNumber<int32_t>(value);
    if (invocation.*Field) return std::nullopt;
    return std::string(Name) + " 값은 32비트 정수여야 합니다: " + value;
}

template <auto Field, const std::string_view& Name>
std::optional<std::string> ReadTime(Invocation& invocation, const std::string& value) {
    invocation.*Field = ParseIsoTime(value);
    if (invocation.*Field) return std::nullopt;
    return std::string(Name) +
           " 값은 2024-05-01 또는 2024-05-01T14:00(+09:00) 꼴이어야 합니다: " + value;
}

std::optional<std::string> ReadDiameter(Invocation& invocation, const std::string& value) {
    invocation.diameter = WholeNumber<double>(value);
    if (invocation.diameter) return std::nullopt;
    return "--diameter 값은 숫자여야 합니다: " + value;
}

std::optional<std::string> ReadCodePage(Invocation& invocation, const std::string& value) {
    invocation.codePage = WholeNumber<uint32_t>(value);
    if (invocation.codePage && *invocation.codePage != 0 && *invocation.codePage <= 65535) {
        return std::nullopt;
    }
    return "--code-page 값은 1에서 65535 사이의 코드 페이지 번호여야 합니다: " + value;
}

std::optional<std::string> ReadAction(Invocation& invocation, const std::string& value) {
    invocation.action = JournalActionNamed(value);
    if (invocation.action) return std::nullopt;
    return "--action 값은 rewrite, undo, rules-saved 중 하나여야 합니다: " + value;
}

// ---- The options ---------------------------------------------------------------------------

constexpr std::string_view kCode = "--code", kRule = "--rule", kHole = "--hole";
constexpr std::string_view kSince = "--since", kUntil = "--until";
constexpr std::string_view kImportOnly = "--force와 --allow-empty는 import에만 씁니다.";

constexpr OptionSpec kCodeOption{kCode, ReadWhole<&Invocation::code, kCode>, nullptr,
                                 "--code는 explain과 journal에만 씁니다."};
constexpr OptionSpec kDiameterOption{"--diameter", ReadDiameter, nullptr,
                                     "--diameter는 explain에만 씁니다."};
constexpr OptionSpec kOutputOption{"-o", ReadText<&Invocation::output>, nullptr,
                                   "-o는 export와 import에만 씁니다."};
constexpr OptionSpec kForceOption{"--force", nullptr, &Invocation::force, kImportOnly};
constexpr OptionSpec kAllowEmptyOption{"--allow-empty", nullptr, &Invocation::allowEmpty,
                                       kImportOnly};
constexpr OptionSpec kDryRunOption{"--dry-run", nullptr, &Invocation::dryRun,
                                   "--dry-run은 import에만 씁니다."};
constexpr OptionSpec kNoBomOption{"--no-bom", nullptr, &Invocation::noBom,
                                  "--no-bom은 export에만 씁니다."};
constexpr OptionSpec kSvgOption{"--svg", ReadText<&Invocation::svg>, nullptr,
                                "--svg는 map과 diff에만 씁니다."};
constexpr OptionSpec kCodePageOption{
    "--code-page", ReadCodePage, nullptr,
    "--code-page는 규칙 파일을 읽는 check, map, explain, export, diff에만 씁니다."};
// journal's: unknown to the other commands.
constexpr OptionSpec kSinceOption{kSince, ReadTime<&Invocation::since, kSince>};
constexpr OptionSpec kUntilOption{kUntil, ReadTime<&Invocation::until, kUntil>};
constexpr OptionSpec kRuleOption{kRule, ReadWhole<&Invocation::rule, kRule>};
constexpr OptionSpec kComputerOption{"--computer", ReadText<&Invocation::computer>};
constexpr OptionSpec kUserOption{"--user", ReadText<&Invocation::user>};
constexpr OptionSpec kHoleOption{kHole, ReadWhole<&Invocation::hole, kHole>};
constexpr OptionSpec kActionOption{"--action", ReadAction};
constexpr OptionSpec kDetailsOption{"--details", nullptr, &Invocation::details};
constexpr OptionSpec kCsvOption{"--csv", nullptr, &Invocation::csv};
constexpr OptionSpec kJsonSpec{"--json", nullptr, &Invocation::json};

constexpr const OptionSpec* kOptionOrder[] = {
    &kCodeOption,   &kDiameterOption, &kOutputOption,   &kForceOption,    &kAllowEmptyOption,
    &kDryRunOption, &kNoBomOption,    &kSvgOption,      &kCodePageOption, &kSinceOption,
    &kUntilOption,  &kRuleOption,     &kComputerOption, &kUserOption,     &kHoleOption,
    &kActionOption, &kDetailsOption,  &kCsvOption};

// ---- What runs them ------------------------------------------------------------------------

int RunHelp(const CommandContext& context) {
    if (!context.invocation.json) {
        context.out << UsageText();
        return kExitClean;
    }
    JsonWriter json;
    json.BeginObject().Key("program").String("quillet-rules");
    json.Key("version").String(kQuilletVersion);
    UsageJson(json);
    context.out << json.EndObject().Text() << "\n";
    return kExitClean;
}

int RunVersion(const CommandContext& context) {
    if (!context.invocation.json) {
        context.out << "quillet-rules " + std::string(kQuilletVersion) + "\n";
        return kExitClean;
    }
    JsonWriter json;
    json.BeginObject().Key("program").String("quillet-rules");
    json.Key("version").String(kQuilletVersion);
    context.out << json.EndObject().Text() << "\n";
    return kExitClean;
}

// A command that writes -o must not write over the file it reads.
bool WritesOverItsInput(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    return invocation.output && SameFile(context.files, invocation.input, *invocation.output);
}

int RefuseSameFile(const CommandContext& context) {
    return Fail(context, kExitUsage, "same-file",
                "-o가 읽는 파일과 같은 파일입니다: " + *context.invocation.output);
}

// Reads FILE (and NEW for diff) in the code page asked for, else the system's, and runs
// `command` on the tables.
int OnRuleFiles(const CommandContext& context,
                int (*command)(const CommandContext&, std::span<const RuleFileView>)) {
    const Invocation& invocation = context.invocation;
    const uint32_t codePage = invocation.codePage.value_or(SystemCodePage());
    const std::optional<LegacyTextDecoder> legacy =
        invocation.codePage ? CodePageDecoder(codePage) : SystemCodePageDecoder();
    if (!legacy) {
        return Fail(
            context, kExitUsage, "usage",
            "이 시스템은 코드 페이지 " + std::to_string(codePage) + "을(를) 읽을 수 없습니다.");
    }
    std::vector<RuleFileView> views;
    for (const std::string& name : invocation.operands) {
        std::string error;
        const std::optional<std::string> bytes = ReadNamedFile(context.files, name, error);
        if (!bytes) return Fail(context, kExitFileFailed, "cannot-read", error);
        views.push_back(ViewRuleFile(BytesOf(*bytes), *legacy, codePage));
    }
    return command(context, views);
}

int RunCheckCommand(const CommandContext& context) {
    return OnRuleFiles(context, [](const CommandContext& c, std::span<const RuleFileView> files) {
        return RunCheck(c, files[0]);
    });
}

int RunMapCommand(const CommandContext& context) {
    return OnRuleFiles(context, [](const CommandContext& c, std::span<const RuleFileView> files) {
        return c.invocation.svg ? RunMapPicture(c, files[0]) : RunMap(c, files[0]);
    });
}

int RunDiffCommand(const CommandContext& context) {
    return OnRuleFiles(context, [](const CommandContext& c, std::span<const RuleFileView> files) {
        return RunDiff(c, files[0], files[1]);
    });
}

int RunExplainCommand(const CommandContext& context) {
    return OnRuleFiles(context, [](const CommandContext& c, std::span<const RuleFileView> files) {
        return RunExplain(c, files[0]);
    });
}

int RunExportCommand(const CommandContext& context) {
    if (WritesOverItsInput(context)) return RefuseSameFile(context);
    return OnRuleFiles(context, [](const CommandContext& c, std::span<const RuleFileView> files) {
        return RunExport(c, files[0]);
    });
}

int RunImportCommand(const CommandContext& context) {
    if (WritesOverItsInput(context)) return RefuseSameFile(context);
    return RunImport(context);
}

std::optional<std::string> JsonOrCsv(const Invocation& invocation) {
    if (invocation.json && invocation.csv) return "--json과 --csv는 함께 쓸 수 없습니다.";
    return std::nullopt;
}

// ---- The commands --------------------------------------------------------------------------

constexpr std::string_view kOneFile = "파일을 하나 주어야 합니다.";
constexpr size_t kAnyCount = static_cast<size_t>(-1);

constexpr OptionUse kCodePage{&kCodePageOption, "--code-page N",
                              "ANSI 규칙 파일을 읽을 코드 페이지 (아래)"};
constexpr OptionUse kCheckOptions[] = {kCodePage};
constexpr OptionUse kMapOptions[] = {{&kSvgOption, "--svg OUT.svg", "지도를 SVG 그림으로도 쓰기"},
                                     kCodePage};
constexpr OptionUse kDiffOptions[] = {{&kSvgOption, "--svg OUT.svg", "차이를 SVG 그림으로도 쓰기"},
                                      kCodePage};
constexpr std::string_view kExplainNeeds = "explain에는 --code와 --diameter가 있어야 합니다.";
constexpr OptionUse kExplainOptions[] = {
    kCodePage, {&kCodeOption, {}, {}, kExplainNeeds}, {&kDiameterOption, {}, {}, kExplainNeeds}};
constexpr OptionUse kExportOptions[] = {
    {&kOutputOption, "-o OUT.csv",
     "CSV를 파일로 쓰기 (스프레드시트가 UTF-8로\n알아보도록 BOM을 붙임)"},
    {&kNoBomOption, "--no-bom", "-o의 파일에 BOM을 붙이지 않기"},
    kCodePage};
constexpr OptionUse kImportOptions[] = {
    {&kForceOption, "--force", "check가 오류를 찾아도 쓰기"},
    {&kAllowEmptyOption, "--allow-empty", "규칙이 없는 CSV도 쓰기 (표를 비움)"},
    {&kDryRunOption, "--dry-run", "쓰지 않고, FILE이 어떻게 달라질지\ndiff처럼 보이기"},
    {&kOutputOption, {}, {}, "import에는 -o FILE이 있어야 합니다."}};
constexpr OptionUse kJournalOptions[] = {
    {&kSinceOption, "--since DATE",
     "이 시각부터의 기록만 (2024-05-01,\n2024-05-01T14:00, 2024-05-01T14:00+09:00)"},
    {&kUntilOption, "--until DATE", "이 시각까지의 기록만 (날짜만이면 그날 끝까지)"},
    {&kRuleOption, "--rule N", "그 기록의 규칙 표에서 규칙 N이 바꾼 단계만"},
    {&kComputerOption, "--computer NAME", "이 컴퓨터의 기록만"},
    {&kUserOption, "--user NAME", "이 사용자의 기록만"},
    {&kHoleOption, "--hole N", "이 구멍의 기록만"},
    {&kCodeOption, "--code N", "이 가공 코드의 단계만"},
    {&kActionOption, "--action A", "rewrite, undo, rules-saved 중 이것만"},
    {&kDetailsOption, "--details", "기록의 행과 쓰인 규칙을 모두 보이기"},
    {&kCsvOption, "--csv", "CSV로 출력 (--json과 함께 쓰지 않음)"}};

constexpr std::string_view kHelpNames[] = {"--help", "-h"};
constexpr std::string_view kVersionNames[] = {"--version"};

constexpr CommandSpec kCommands[] = {
    {.name = "check",
     .synopsis = "check FILE",
     .text = "줄마다 읽히는 방식, 규칙의 숫자, 발견 사항",
     .options = kCheckOptions,
     .fewestFiles = 1,
     .mostFiles = 1,
     .wrongFiles = kOneFile,
     .run = RunCheckCommand},
    {.name = "map",
     .synopsis = "map FILE",
     .text = "표 전체의 효과: 코드 구간마다 바뀌는 지름 구간",
     .options = kMapOptions,
     .fewestFiles = 1,
     .mostFiles = 1,
     .wrongFiles = kOneFile,
     .run = RunMapCommand},
    {.name = "diff",
     .synopsis = "diff OLD NEW",
     .text = "두 규칙 파일이 다르게 바꾸는 코드와 지름\n(같으면 0, 다르면 1)",
     .options = kDiffOptions,
     .fewestFiles = 2,
     .mostFiles = 2,
     .wrongFiles = "diff에는 규칙 파일 두 개(OLD NEW)를 주어야 합니다.",
     .run = RunDiffCommand},
    {.name = "explain",
     .synopsis = "explain FILE --code N --diameter D",
     .text = "한 단계에 규칙을 차례로 적용한 과정",
     .options = kExplainOptions,
     .fewestFiles = 1,
     .mostFiles = 1,
     .wrongFiles = kOneFile,
     .run = RunExplainCommand},
    {.name = "export",
     .synopsis = "export FILE",
     .text = "규칙을 UTF-8 CSV로 내보내기\n(표준 출력에는 BOM 없이)",
     .options = kExportOptions,
     .fewestFiles = 1,
     .mostFiles = 1,
     .wrongFiles = kOneFile,
     .run = RunExportCommand,
     .reportIsData = true},
    {.name = "import",
     .synopsis = "import IN.csv -o FILE",
     .text =
         "CSV의 규칙을 규칙 파일로 쓰기 (이전 파일은\nFILE.bak; 쉼표 또는 세미콜론으로 나뉜 CSV)",
     .options = kImportOptions,
     .fewestFiles = 1,
     .mostFiles = 1,
     .wrongFiles = kOneFile,
     .run = RunImportCommand},
    {.name = "codes",
     .synopsis = "codes",
     .text = "발견 사항 코드와 심각도, 설명 목록",
     .wrongFiles = "codes에는 파일을 주지 않습니다.",
     .run = RunCodes},
    {.name = "where",
     .synopsis = "where",
     .text = "이 컴퓨터의 모듈이 쓰는 규칙 폴더와 파일 (Windows)",
     .wrongFiles = "where에는 파일을 주지 않습니다.",
     .run = RunWhere},
    {.name = "copy-to-share",
     .synopsis = "copy-to-share",
     .text =
         "규칙 폴더에 규칙 파일이 없을 때, 모듈의 폴더에 남은\n규칙 파일을 그리로 복사 (Windows)",
     .wrongFiles = "copy-to-share에는 파일을 주지 않습니다.",
     .run = RunCopyToShare},
    {.name = "journal",
     .synopsis = "journal [FILE...]",
     .text = "기록된 수정, 되돌리기, 규칙 저장\n(FILE: 기록 파일, 규칙 폴더, 그 journal "
             "폴더;\n여럿이면 "
             "시각 순으로 함께)",
     .options = kJournalOptions,
     .mostFiles = kAnyCount,
     .run = RunJournal,
     .checkOptions = JsonOrCsv,
     .streams = true},
    // Listed among every command's options, by the name given here as an option.
    {.name = "version",
     .text = "버전 표시",
     .mostFiles = kAnyCount,
     .run = RunVersion,
     .aliases = kVersionNames},
    {.name = "help",
     .text = "이 도움말",
     .mostFiles = kAnyCount,
     .run = RunHelp,
     .aliases = kHelpNames},
};

}  // namespace

const OptionUse kJsonOption{&kJsonSpec, "--json", "결과를 JSON 문서 하나로 출력 (오류도)"};

std::span<const CommandSpec> WorkbenchCommands() {
    return kCommands;
}

std::span<const OptionSpec* const> WorkbenchOptions() {
    return kOptionOrder;
}

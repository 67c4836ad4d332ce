#include "workbench/Arguments.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "workbench/Json.h"

namespace {

struct OptionHelp {
    std::string_view option;  // "-o OUT.csv"
    std::string_view text;    // Korean; '\n' breaks the line on a terminal
};
struct CommandHelp {
    std::string_view name;      // "export"
    std::string_view synopsis;  // "export FILE"
    std::string_view text;
    std::span<const OptionHelp> options;
};

constexpr OptionHelp kCodePage{"--code-page N", "ANSI 규칙 파일을 읽을 코드 페이지 (아래)"};
constexpr OptionHelp kCheckOptions[] = {kCodePage};
constexpr OptionHelp kMapOptions[] = {{"--svg OUT.svg", "지도를 SVG 그림으로도 쓰기"}, kCodePage};
constexpr OptionHelp kDiffOptions[] = {{"--svg OUT.svg", "차이를 SVG 그림으로도 쓰기"}, kCodePage};
constexpr OptionHelp kExportOptions[] = {
    {"-o OUT.csv", "CSV를 파일로 쓰기 (스프레드시트가 UTF-8로\n알아보도록 BOM을 붙임)"},
    {"--no-bom", "-o의 파일에 BOM을 붙이지 않기"},
    kCodePage};
constexpr OptionHelp kImportOptions[] = {
    {"--force", "check가 오류를 찾아도 쓰기"},
    {"--allow-empty", "규칙이 없는 CSV도 쓰기 (표를 비움)"},
    {"--dry-run", "쓰지 않고, FILE이 어떻게 달라질지\ndiff처럼 보이기"}};
constexpr OptionHelp kJournalOptions[] = {
    {"--since DATE",
     "이 시각부터의 기록만 (2024-05-01,\n2024-05-01T14:00, 2024-05-01T14:00+09:00)"},
    {"--until DATE", "이 시각까지의 기록만 (날짜만이면 그날 끝까지)"},
    {"--rule N", "그 기록의 규칙 표에서 규칙 N이 바꾼 단계만"},
    {"--computer NAME", "이 컴퓨터의 기록만"},
    {"--user NAME", "이 사용자의 기록만"},
    {"--hole N", "이 구멍의 기록만"},
    {"--code N", "이 가공 코드의 단계만"},
    {"--action A", "rewrite, undo, rules-saved 중 이것만"},
    {"--details", "기록의 행과 쓰인 규칙을 모두 보이기"},
    {"--csv", "CSV로 출력 (--json과 함께 쓰지 않음)"}};

constexpr CommandHelp kCommands[] = {
    {"check", "check FILE", "줄마다 읽히는 방식, 규칙의 숫자, 발견 사항", kCheckOptions},
    {"map", "map FILE", "표 전체의 효과: 코드 구간마다 바뀌는 지름 구간", kMapOptions},
    {"diff", "diff OLD NEW", "두 규칙 파일이 다르게 바꾸는 코드와 지름\n(같으면 0, 다르면 1)",
     kDiffOptions},
    {"explain", "explain FILE --code N --diameter D", "한 단계에 규칙을 차례로 적용한 과정",
     kCheckOptions},
    {"export", "export FILE", "규칙을 UTF-8 CSV로 내보내기\n(표준 출력에는 BOM 없이)",
     kExportOptions},
    {"import", "import IN.csv -o FILE",
     "CSV의 규칙을 규칙 파일로 쓰기 (이전 파일은\nFILE.bak; 쉼표 또는 세미콜론으로 나뉜 CSV)",
     kImportOptions},
    {"codes", "codes", "발견 사항 코드와 심각도, 설명 목록", {}},
    {"where", "where", "이 컴퓨터의 모듈이 쓰는 규칙 폴더와 파일 (Windows)", {}},
    {"copy-to-share",
     "copy-to-share",
     "규칙 폴더에 규칙 파일이 없을 때, 모듈의 폴더에 남은\n규칙 파일을 그리로 복사 (Windows)",
     {}},
    {"journal", "journal [FILE...]",
     "기록된 수정, 되돌리기, 규칙 저장\n(FILE: 기록 파일, 규칙 폴더, 그 journal 폴더;\n여럿이면 "
     "시각 "
     "순으로 함께)",
     kJournalOptions},
};

constexpr OptionHelp kCommonOptions[] = {
    {"--json", "결과를 JSON 문서 하나로 출력 (오류도)"},
    {"--version", "버전 표시"},
    {"--help", "이 도움말"},
};

constexpr std::string_view kNotes[] = {
    "ANSI 규칙 파일: 바이트 순서 표시 없이 UTF-16도 UTF-8도 아닌 파일. 그 코드 페이지는\n"
    "  기본으로 Windows에서는 시스템의 ANSI 코드 페이지, 그 밖에서는 949",
    "종료 상태: 0 정보뿐, 1 경고, 2 오류, 3 파일을 읽거나 쓸 수 없음, 4 사용법 오류",
};

// "  name   text", the text from a column of its own (on the next line when the name reaches
// it); each line of a text of several starts there.
void AppendHelpLine(std::string& text, std::string_view indent, std::string_view name,
                    std::string_view words) {
    constexpr size_t kTextColumn = 38;
    std::string line = std::string(indent) + std::string(name);
    if (line.size() + 1 > kTextColumn) {
        text += line + "\n";
        line.clear();
    }
    for (size_t start = 0; start <= words.size();) {
        const size_t end = std::min(words.find('\n', start), words.size());
        line.resize(kTextColumn, ' ');
        text += line + std::string(words.substr(start, end - start)) + "\n";
        line.clear();
        start = end + 1;
    }
}

// A text as one line, for JSON: a line break and the blanks after it become one space.
std::string OneLine(std::string_view text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') {
            line.push_back(text[i]);
            continue;
        }
        line.push_back(' ');
        while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
    }
    return line;
}

void OptionsJson(JsonWriter& json, std::span<const OptionHelp> options) {
    json.BeginArray();
    for (const OptionHelp& option : options) {
        json.BeginObject().Key("option").String(option.option);
        json.Key("text").String(OneLine(option.text)).EndObject();
    }
    json.EndArray();
}

}  // namespace

std::string UsageText() {
    std::string text = "사용법: quillet-rules <명령> [옵션...] [--json]\n";
    for (const CommandHelp& command : kCommands) {
        AppendHelpLine(text, "  ", command.synopsis, command.text);
        for (const OptionHelp& option : command.options) {
            AppendHelpLine(text, "      ", option.option, option.text);
        }
    }
    text += "모든 명령:\n";
    for (const OptionHelp& option : kCommonOptions) {
        AppendHelpLine(text, "  ", option.option, option.text);
    }
    for (const std::string_view note : kNotes) text += std::string(note) + "\n";
    return text;
}

void UsageJson(JsonWriter& json) {
    json.Key("commands").BeginArray();
    for (const CommandHelp& command : kCommands) {
        json.BeginObject().Key("command").String(command.name);
        json.Key("synopsis").String(command.synopsis).Key("text").String(OneLine(command.text));
        OptionsJson(json.Key("options"), command.options);
        json.EndObject();
    }
    json.EndArray();
    OptionsJson(json.Key("common_options"), kCommonOptions);
    json.Key("notes").BeginArray();
    for (const std::string_view note : kNotes) json.String(OneLine(note));
    json.EndArray();
}

namespace {

std::optional<Command> CommandNamed(std::string_view name) {
    if (name == "check") return Command::Check;
    if (name == "map") return Command::Map;
    if (name == "explain") return Command::Explain;
    if (name == "export") return Command::Export;
    if (name == "import") return Command::Import;
    if (name == "codes") return Command::Codes;
    if (name == "diff") return Command::Diff;
    if (name == "where") return Command::Where;
    if (name == "copy-to-share") return Command::CopyToShare;
    if (name == "help" || name == "--help" || name == "-h") return Command::Help;
    if (name == "version" || name == "--version") return Command::Version;
    return std::nullopt;
}

template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Options and their values in place; the one operand.
struct OptionReader {
    std::span<const std::string> args;
    size_t next = 1;

    bool More() const { return next < args.size(); }
    std::optional<std::string> Value() {
        if (!More()) return std::nullopt;
        return args[next++];
    }
};

bool TakesValue(std::string_view option) {
    return option == "-o" || option == "--code" || option == "--diameter" || option == "--svg" ||
           option == "--code-page";
}

bool IsOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-';
}

std::optional<std::string> ReadOption(std::string_view option, OptionReader& reader,
                                      Invocation& invocation) {
    if (option == "--json") {
        invocation.json = true;
        return std::nullopt;
    }
    if (option == "--force" || option == "--allow-empty" || option == "--dry-run" ||
        option == "--no-bom") {
        (option == "--force"         ? invocation.force
         : option == "--allow-empty" ? invocation.allowEmpty
         : option == "--dry-run"     ? invocation.dryRun
                                     : invocation.noBom) = true;
        return std::nullopt;
    }
    if (!TakesValue(option)) {
        return "알 수 없는 옵션입니다: " + std::string(option);
    }
    const std::optional<std::string> value = reader.Value();
    if (!value) return std::string(option) + " 뒤에 값이 있어야 합니다.";
    if (option == "-o") {
        invocation.output = *value;
    } else if (option == "--svg") {
        invocation.svg = *value;
    } else if (option == "--code") {
        invocation.code = WholeNumber<int32_t>(*value);
        if (!invocation.code) return "--code 값은 32비트 정수여야 합니다: " + *value;
    } else if (option == "--code-page") {
        invocation.codePage = WholeNumber<uint32_t>(*value);
        if (!invocation.codePage || *invocation.codePage == 0 || *invocation.codePage > 65535) {
            return "--code-page 값은 1에서 65535 사이의 코드 페이지 번호여야 합니다: " + *value;
        }
    } else {
        invocation.diameter = WholeNumber<double>(*value);
        if (!invocation.diameter) return "--diameter 값은 숫자여야 합니다: " + *value;
    }
    return std::nullopt;
}

std::optional<std::string> CheckCombination(const Invocation& invocation) {
    const Command command = invocation.command;
    const bool explainOptions = invocation.code || invocation.diameter;
    if (command == Command::Explain && !(invocation.code && invocation.diameter)) {
        return "explain에는 --code와 --diameter가 있어야 합니다.";
    }
    if (command != Command::Explain && explainOptions) {
        return "--code와 --diameter는 explain에만 씁니다.";
    }
    if (command == Command::Import && !invocation.output) {
        return "import에는 -o FILE이 있어야 합니다.";
    }
    if (invocation.output && command != Command::Export && command != Command::Import) {
        return "-o는 export와 import에만 씁니다.";
    }
    if ((invocation.force || invocation.allowEmpty) && command != Command::Import) {
        return "--force와 --allow-empty는 import에만 씁니다.";
    }
    if (invocation.dryRun && command != Command::Import) {
        return "--dry-run은 import에만 씁니다.";
    }
    if (invocation.noBom && command != Command::Export) {
        return "--no-bom은 export에만 씁니다.";
    }
    if (invocation.svg && command != Command::Map && command != Command::Diff) {
        return "--svg는 map과 diff에만 씁니다.";
    }
    if (invocation.codePage && command == Command::Import) {
        return "--code-page는 규칙 파일을 읽는 check, map, explain, export에만 씁니다.";
    }
    return std::nullopt;
}

// Whether --json stands as an option: not as the value of -o, --code or --diameter, and
// not after "--". Known before the rest is parsed, so that a usage error is JSON too.
bool JsonRequested(std::span<const std::string> args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") return false;
        if (args[i] == "--json") return true;
        if (TakesValue(args[i])) ++i;
    }
    return false;
}

}  // namespace

std::variant<Invocation, UsageError> ParseArguments(std::span<const std::string> args) {
    const bool json = JsonRequested(args);
    const auto usage = [json](std::string message) { return UsageError{std::move(message), json}; };
    if (args.empty()) return usage("명령이 없습니다.");
    const std::optional<Command> command = CommandNamed(args[0]);
    if (!command) return usage("알 수 없는 명령입니다: " + args[0]);
    Invocation invocation;
    invocation.command = *command;
    std::vector<std::string> operands;
    OptionReader reader{args};
    bool optionsEnded = false;
    while (reader.More()) {
        const std::string& arg = args[reader.next++];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && IsOption(arg)) {
            if (auto problem = ReadOption(arg, reader, invocation)) return usage(*problem);
        } else {
            operands.push_back(arg);
        }
    }
    if (*command == Command::Help || *command == Command::Version) return invocation;
    if (*command == Command::Where || *command == Command::CopyToShare) {
        if (!operands.empty()) return usage(std::string(args[0]) + "에는 파일을 주지 않습니다.");
        return invocation;
    }
    if (*command == Command::Codes) {
        if (!operands.empty()) return usage("codes에는 파일을 주지 않습니다.");
        if (auto problem = CheckCombination(invocation)) return usage(*problem);
        return invocation;
    }
    if (*command == Command::Diff) {
        if (operands.size() != 2) {
            return usage("diff에는 규칙 파일 두 개(OLD NEW)를 주어야 합니다.");
        }
        invocation.secondInput = operands[1];
    } else if (operands.size() != 1) {
        return usage("파일을 하나 주어야 합니다.");
    }
    invocation.input = operands[0];
    if (auto problem = CheckCombination(invocation)) return usage(*problem);
    return invocation;
}

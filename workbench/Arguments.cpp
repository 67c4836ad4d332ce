#include "workbench/Arguments.h"

#include <algorithm>
#include <charconv>
#include <vector>

const std::string_view kUsageText =
    "사용법: quillet-rules <명령> [--json]\n"
    "  check FILE                          줄마다 읽히는 방식, 규칙의 숫자, 발견 사항\n"
    "  map FILE                            표 전체의 효과: 코드 구간마다 바뀌는 지름 구간\n"
    "  explain FILE --code N --diameter D  한 단계에 규칙을 차례로 적용한 과정\n"
    "  export FILE [-o OUT.csv]            규칙을 UTF-8 CSV로 내보내기\n"
    "  import IN.csv -o FILE               CSV의 규칙을 규칙 파일로 쓰기 (이전 파일은 "
    "FILE.bak)\n"
    "  --code-page N                       바이트 순서 표시 없이 UTF-16도 UTF-8도 아닌 규칙\n"
    "                                      파일(ANSI)을 읽을 코드 페이지 (기본: Windows에서는\n"
    "                                      시스템의 ANSI 코드 페이지, 그 밖에서는 949)\n"
    "  --json                              결과를 JSON 문서 하나로 출력\n"
    "  --version                           버전 표시\n"
    "종료 상태: 0 정보뿐, 1 경고, 2 오류, 3 파일을 읽거나 쓸 수 없음, 4 사용법 오류\n";

namespace {

std::optional<Command> CommandNamed(std::string_view name) {
    if (name == "check") return Command::Check;
    if (name == "map") return Command::Map;
    if (name == "explain") return Command::Explain;
    if (name == "export") return Command::Export;
    if (name == "import") return Command::Import;
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

std::optional<std::string> ReadOption(std::string_view option, OptionReader& reader,
                                      Invocation& invocation) {
    if (option == "--json") {
        invocation.json = true;
        return std::nullopt;
    }
    if (option != "-o" && option != "--code" && option != "--diameter" && option != "--code-page") {
        return "알 수 없는 옵션입니다: " + std::string(option);
    }
    const std::optional<std::string> value = reader.Value();
    if (!value) return std::string(option) + " 뒤에 값이 있어야 합니다.";
    if (option == "-o") {
        invocation.output = *value;
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
    if (invocation.codePage && command == Command::Import) {
        return "--code-page는 규칙 파일을 읽는 check, map, explain, export에만 씁니다.";
    }
    return std::nullopt;
}

}  // namespace

std::variant<Invocation, UsageError> ParseArguments(std::span<const std::string> args) {
    const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
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
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (auto problem = ReadOption(arg, reader, invocation)) return usage(*problem);
        } else {
            operands.push_back(arg);
        }
    }
    if (*command == Command::Help || *command == Command::Version) return invocation;
    if (operands.size() != 1) return usage("파일을 하나 주어야 합니다.");
    invocation.input = operands[0];
    if (auto problem = CheckCombination(invocation)) return usage(*problem);
    return invocation;
}

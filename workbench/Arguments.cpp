#include "workbench/Arguments.h"

#include <algorithm>
#include <vector>

#include "workbench/Json.h"

namespace {

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

void OptionJson(JsonWriter& json, std::string_view shown, std::string_view text) {
    json.BeginObject().Key("option").String(shown);
    json.Key("text").String(OneLine(text)).EndObject();
}

bool ShownInHelp(const OptionUse& use) {
    return !use.shown.empty();
}

}  // namespace

std::string UsageText() {
    std::string text = "사용법: quillet-rules <명령> [옵션...] [--json]\n";
    for (const CommandSpec& command : WorkbenchCommands()) {
        if (command.synopsis.empty()) continue;
        AppendHelpLine(text, "  ", command.synopsis, command.text);
        for (const OptionUse& option : command.options) {
            if (ShownInHelp(option)) AppendHelpLine(text, "      ", option.shown, option.text);
        }
    }
    text += "모든 명령:\n";
    AppendHelpLine(text, "  ", kJsonOption.shown, kJsonOption.text);
    for (const CommandSpec& command : WorkbenchCommands()) {
        if (command.synopsis.empty()) AppendHelpLine(text, "  ", command.aliases[0], command.text);
    }
    for (const std::string_view note : kNotes) text += std::string(note) + "\n";
    return text;
}

void UsageJson(JsonWriter& json) {
    json.Key("commands").BeginArray();
    for (const CommandSpec& command : WorkbenchCommands()) {
        if (command.synopsis.empty()) continue;
        json.BeginObject().Key("command").String(command.name);
        json.Key("synopsis").String(command.synopsis).Key("text").String(OneLine(command.text));
        json.Key("options").BeginArray();
        for (const OptionUse& option : command.options) {
            if (ShownInHelp(option)) OptionJson(json, option.shown, option.text);
        }
        json.EndArray().EndObject();
    }
    json.EndArray();
    json.Key("common_options").BeginArray();
    OptionJson(json, kJsonOption.shown, kJsonOption.text);
    for (const CommandSpec& command : WorkbenchCommands()) {
        if (command.synopsis.empty()) OptionJson(json, command.aliases[0], command.text);
    }
    json.EndArray();
    json.Key("notes").BeginArray();
    for (const std::string_view note : kNotes) json.String(OneLine(note));
    json.EndArray();
}

namespace {

const CommandSpec* CommandNamed(std::string_view name) {
    for (const CommandSpec& command : WorkbenchCommands()) {
        const bool alias = std::ranges::find(command.aliases, name) != command.aliases.end();
        if (command.name == name || alias) return &command;
    }
    return nullptr;
}

const OptionUse* UseOf(const CommandSpec& command, const OptionSpec& option) {
    for (const OptionUse& use : command.options) {
        if (use.option == &option) return &use;
    }
    return nullptr;
}

// The option as `command` reads it: one of its own, --json, or one of another command that
// it refuses by name after reading; null when it does not know the option.
const OptionSpec* OptionNamed(const CommandSpec* command, std::string_view name) {
    if (name == kJsonOption.option->name) return kJsonOption.option;
    for (const OptionSpec* option : WorkbenchOptions()) {
        if (option->name != name) continue;
        if (!option->notHere.empty() || (command && UseOf(*command, *option))) return option;
    }
    return nullptr;
}

bool IsOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// Whether --json stands as an option: not as the value of another option, and not after
// "--". Known before the rest is parsed, so that a usage error is JSON too.
bool JsonRequested(std::span<const std::string> args) {
    const CommandSpec* command = args.empty() ? nullptr : CommandNamed(args[0]);
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") return false;
        if (args[i] == kJsonOption.option->name) return true;
        const OptionSpec* option = OptionNamed(command, args[i]);
        if (option && option->read) ++i;
    }
    return false;
}

// The options and FILEs after the command's name; the options given, in order.
std::optional<std::string> ReadArguments(std::span<const std::string> args, Invocation& invocation,
                                         std::vector<const OptionSpec*>& given) {
    bool optionsEnded = false;
    for (size_t next = 1; next < args.size();) {
        const std::string& arg = args[next++];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !IsOption(arg)) {
            invocation.operands.push_back(arg);
            continue;
        }
        const OptionSpec* option = OptionNamed(invocation.command, arg);
        if (!option) return "알 수 없는 옵션입니다: " + arg;
        given.push_back(option);
        if (!option->read) {
            invocation.*(option->flag) = true;
            continue;
        }
        if (next >= args.size()) return arg + " 뒤에 값이 있어야 합니다.";
        if (auto problem = option->read(invocation, args[next++])) return problem;
    }
    return std::nullopt;
}

// An option the command must have and has not, or has and does not take.
std::optional<std::string> CheckOptions(const Invocation& invocation,
                                        std::span<const OptionSpec* const> given) {
    const CommandSpec& command = *invocation.command;
    for (const OptionSpec* option : WorkbenchOptions()) {
        const OptionUse* use = UseOf(command, *option);
        const bool isGiven = std::ranges::find(given, option) != given.end();
        if (use && !isGiven && !use->missing.empty()) return std::string(use->missing);
        if (!use && isGiven) return std::string(option->notHere);
    }
    if (command.checkOptions) return command.checkOptions(invocation);
    return std::nullopt;
}

}  // namespace

std::variant<Invocation, UsageError> ParseArguments(std::span<const std::string> args) {
    const bool json = JsonRequested(args);
    const auto usage = [json](std::string message) { return UsageError{std::move(message), json}; };
    if (args.empty()) return usage("명령이 없습니다.");
    Invocation invocation;
    invocation.command = CommandNamed(args[0]);
    if (!invocation.command) return usage("알 수 없는 명령입니다: " + args[0]);
    std::vector<const OptionSpec*> given;
    if (auto problem = ReadArguments(args, invocation, given)) return usage(*problem);
    const CommandSpec& command = *invocation.command;
    const std::vector<std::string>& files = invocation.operands;
    if (files.size() < command.fewestFiles || files.size() > command.mostFiles) {
        return usage(std::string(command.wrongFiles));
    }
    if (!files.empty()) invocation.input = files[0];
    if (files.size() > 1) invocation.secondInput = files[1];
    if (auto problem = CheckOptions(invocation, given)) return usage(*problem);
    return invocation;
}

// The command line of quillet-rules.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

enum class Command { Check, Map, Explain, Export, Import, Help, Version };

struct Invocation {
    Command command = Command::Help;
    std::string input;                  // FILE, or IN.csv for import
    std::optional<std::string> output;  // -o
    std::optional<int32_t> code;        // --code (explain)
    std::optional<double> diameter;     // --diameter (explain)
    std::optional<uint32_t> codePage;   // --code-page: a rule file's legacy code page
    bool json = false;
};

struct UsageError {
    std::string message;  // Korean, UTF-8
    bool json = false;    // --json was among the arguments
};

// The arguments after the program name, UTF-8.
std::variant<Invocation, UsageError> ParseArguments(std::span<const std::string> args);

extern const std::string_view kUsageText;

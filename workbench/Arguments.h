// The command line of quillet-rules.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

enum class Command { Check, Map, Explain, Export, Import, Codes, Diff, Where, Help, Version };

struct Invocation {
    Command command = Command::Help;
    std::string input;                  // FILE, or IN.csv for import, or OLD for diff
    std::string secondInput;            // NEW for diff
    std::optional<std::string> output;  // -o
    std::optional<int32_t> code;        // --code (explain)
    std::optional<double> diameter;     // --diameter (explain)
    std::optional<std::string> svg;     // --svg (map, diff)
    std::optional<uint32_t> codePage;   // --code-page: a rule file's legacy code page
    bool json = false;
    bool force = false;       // --force (import): write even when the check finds errors
    bool allowEmpty = false;  // --allow-empty (import): write a table without rules
};

struct UsageError {
    std::string message;  // Korean, UTF-8
    bool json = false;    // --json stood as an option among the arguments
};

// The arguments after the program name, UTF-8.
std::variant<Invocation, UsageError> ParseArguments(std::span<const std::string> args);

extern const std::string_view kUsageText;

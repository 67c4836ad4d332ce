// The command line of quillet-rules.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

enum class Command {
    Check,
    Map,
    Explain,
    Export,
    Import,
    Codes,
    Diff,
    Where,
    CopyToShare,
    Help,
    Version
};

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
    bool dryRun = false;      // --dry-run (import): show the difference, write nothing
    bool noBom = false;       // --no-bom (export): the file -o names without the UTF-8 mark
};

struct UsageError {
    std::string message;  // Korean, UTF-8
    bool json = false;    // --json stood as an option among the arguments
};

// The arguments after the program name, UTF-8.
std::variant<Invocation, UsageError> ParseArguments(std::span<const std::string> args);

// What --help shows: each command with the options it takes, then the options of every
// command and notes. As text, and as the members "commands" ([{"command", "synopsis", "text",
// "options": [{"option", "text"}]}]), "common_options" and "notes" of an open JSON object.
std::string UsageText();
class JsonWriter;
void UsageJson(JsonWriter& json);

// The command line of quillet-rules, read by the table of its commands (CommandTable.cpp):
// the options each command takes, how their values are read, and what --help shows.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "journal/JournalFormat.h"
#include "journal/JournalTime.h"

struct CommandSpec;

struct Invocation {
    const CommandSpec* command = nullptr;
    std::vector<std::string> operands;  // the FILEs, in order
    std::string input;                  // FILE, or IN.csv for import, or OLD for diff
    std::string secondInput;            // NEW for diff
    std::optional<std::string> output;  // -o
    std::optional<int32_t> code;        // --code (explain; journal: the steps of this code)
    std::optional<double> diameter;     // --diameter (explain)
    std::optional<std::string> svg;     // --svg (map, diff)
    std::optional<uint32_t> codePage;   // --code-page: a rule file's legacy code page
    bool json = false;
    bool force = false;       // --force (import): write even when the check finds errors
    bool allowEmpty = false;  // --allow-empty (import): write a table without rules
    bool dryRun = false;      // --dry-run (import): show the difference, write nothing
    bool noBom = false;       // --no-bom (export): the file -o names without the UTF-8 mark
    // journal's selection and form
    std::optional<IsoTime> since, until;
    std::optional<int32_t> rule, hole;
    std::optional<std::string> computer, user;
    std::optional<JournalAction> action;
    bool details = false;
    bool csv = false;
};

// An option as every command that takes it reads it.
struct OptionSpec {
    std::string_view name;  // "--svg"
    // Stores the value (null for an option without one, which `flag` sets); a message when
    // the value is not one the option takes.
    std::optional<std::string> (*read)(Invocation& invocation, const std::string& value) = nullptr;
    bool Invocation::*flag = nullptr;
    // Said when a command that does not take the option is given it; empty: that command
    // does not know the option at all.
    std::string_view notHere = {};
};

// An option as one command takes it.
struct OptionUse {
    const OptionSpec* option;
    std::string_view shown;  // "-o OUT.csv"; empty: the synopsis shows it, --help lists it not
    std::string_view text;   // Korean; '\n' breaks the line on a terminal
    std::string_view missing = {};  // said when the command is given no such option
};

struct CommandContext;

struct CommandSpec {
    std::string_view name = {};  // "export"
    std::string_view synopsis =
        {};  // "export FILE"; empty: --help lists it among all commands' options
    std::string_view text = {};
    std::span<const OptionUse> options = {};
    size_t fewestFiles = 0, mostFiles = 0;
    std::string_view wrongFiles = {};  // said when the count of FILEs is not in that range
    int (*run)(const CommandContext& context) = nullptr;
    std::span<const std::string_view> aliases = {};  // other names on the command line
    // Another rule among the options; a message when they do not go together.
    std::optional<std::string> (*checkOptions)(const Invocation& invocation) = nullptr;
    // The report on standard output is data (a CSV) unless -o names a file or it goes to a
    // terminal: shown as it is, not made safe for a terminal.
    bool reportIsData = false;
    // The command writes to the program's streams itself, as it goes, each safe to show.
    bool streams = false;
};

// The commands, those --help shows first in its order, then help and version.
std::span<const CommandSpec> WorkbenchCommands();
// --json, which every command takes, as --help shows it.
extern const OptionUse kJsonOption;
// The options in the order their misuse is told when there is more than one.
std::span<const OptionSpec* const> WorkbenchOptions();

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

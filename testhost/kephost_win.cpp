// kephost: runs the hole command of Quillet.dll on a drawing of the stand-in host, from the
// command line, and prints what the user would have seen and what became of the holes.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <charconv>
#include <cstdio>
#include <cwctype>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "standin/Drawing.h"
#include "standin/KepTest.h"
#include "testhost/MessageBoxWatcher.h"
#include "testhost/ModuleSession.h"
#include "testhost/ScratchFolder.h"
#include "testhost/StandinLog.h"
#include "testhost/TextUtf8.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitLoad = 3;

constexpr std::string_view kUsage =
    "usage: kephost.exe [options]\n"
    "  --drawing FILE        drawing in the stand-in's text format (default: an empty drawing)\n"
    "  --module PATH         the module to load (default: Quillet.dll beside kephost.exe)\n"
    "  --rules FILE          rule file handed to the module as Quillet.def\n"
    "  --workdir DIR         folder the module is copied into and runs from; --rules is copied\n"
    "                        there as Quillet.def. Without --workdir the module runs beside the\n"
    "                        --rules file, which must then be called Quillet.def, or, without\n"
    "                        --rules, in a temporary folder that holds no rule file\n"
    "  --select all | --select SEG:ELEM[,SEG:ELEM...]\n"
    "                        select elements after the command started (repeatable)\n"
    "  --event N             call the command's execute function with event code N\n"
    "  --pick KIND:ELEM      ask the command's pick filter about an element\n"
    "                        (--event and --pick are repeatable and run in the order given)\n"
    "  --fail NAME:NTH       the NTH call (from 1; 0 = every call) of host function NAME fails,\n"
    "                        counted from before Startup (repeatable)\n"
    "  --trace               print every host call, not only the messages\n"
    "  --help                print this text\n";

struct UsageError {
    std::string message;
};

struct Action {
    enum class Kind { Event, Pick } kind;
    int32_t first;   // event code or element kind
    int32_t second;  // element number of a pick
};

struct SelectionItem {
    bool all = false;
    int32_t segment = 0;
    int32_t element = 0;
};

struct Failure {
    std::string function;
    int32_t nth;
};

struct Options {
    std::optional<std::wstring> drawing;
    std::optional<std::wstring> module;
    std::optional<std::wstring> rules;
    std::optional<std::wstring> workdir;
    std::vector<SelectionItem> selection;
    std::vector<Action> actions;
    std::vector<Failure> failures;
    bool trace = false;
    bool help = false;
};

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void PrintError(std::string_view text) {
    std::string line = "kephost: " + std::string(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

int32_t ParseInteger(std::string_view text, std::string_view what) {
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw UsageError{std::string(what) + ": '" + std::string(text) + "' is not an integer"};
    }
    return value;
}

std::pair<std::string_view, std::string_view> SplitAt(std::string_view text, char separator,
                                                      std::string_view what) {
    size_t at = text.find(separator);
    if (at == std::string_view::npos) {
        throw UsageError{std::string(what) + ": expected A" + separator + "B, found '" +
                         std::string(text) + "'"};
    }
    return {text.substr(0, at), text.substr(at + 1)};
}

void ParseSelection(std::string_view text, std::vector<SelectionItem>& selection) {
    if (text == "all") {
        selection.push_back(SelectionItem{true});
        return;
    }
    while (!text.empty()) {
        size_t comma = text.find(',');
        auto [segment, element] = SplitAt(text.substr(0, comma), ':', "--select");
        selection.push_back(SelectionItem{false, ParseInteger(segment, "--select segment"),
                                          ParseInteger(element, "--select element")});
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
}

Options ParseArguments(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring flag = argv[i];
        auto value = [&]() -> std::wstring {
            if (i + 1 >= argc) throw UsageError{Utf8FromWide(flag) + " needs a value"};
            return argv[++i];
        };
        if (flag == L"--drawing") {
            options.drawing = value();
        } else if (flag == L"--module") {
            options.module = value();
        } else if (flag == L"--rules") {
            options.rules = value();
        } else if (flag == L"--workdir") {
            options.workdir = value();
        } else if (flag == L"--select") {
            ParseSelection(Utf8FromWide(value()), options.selection);
        } else if (flag == L"--event") {
            options.actions.push_back(
                {Action::Kind::Event, ParseInteger(Utf8FromWide(value()), "--event"), 0});
        } else if (flag == L"--pick") {
            std::string text = Utf8FromWide(value());
            auto [kind, element] = SplitAt(text, ':', "--pick");
            options.actions.push_back({Action::Kind::Pick, ParseInteger(kind, "--pick kind"),
                                       ParseInteger(element, "--pick element")});
        } else if (flag == L"--fail") {
            std::string text = Utf8FromWide(value());
            auto [name, nth] = SplitAt(text, ':', "--fail");
            if (!HostCallByName(name)) {
                throw UsageError{"--fail: '" + std::string(name) +
                                 "' is not a host function that can fail"};
            }
            options.failures.push_back({std::string(name), ParseInteger(nth, "--fail count")});
        } else if (flag == L"--trace") {
            options.trace = true;
        } else if (flag == L"--help" || flag == L"-h") {
            options.help = true;
        } else {
            throw UsageError{"unknown argument '" + Utf8FromWide(flag) + "'"};
        }
    }
    if (options.rules && !options.workdir) {
        std::wstring name = std::filesystem::path(*options.rules).filename().wstring();
        if (_wcsicmp(name.c_str(), L"Quillet.def") != 0) {
            throw UsageError{"--rules without --workdir must name a file called Quillet.def"};
        }
    }
    return options;
}

// ---- Output ----

// Prints the log lines written since the last call: messages only, or everything.
class LogPrinter {
public:
    explicit LogPrinter(bool trace) : trace_(trace) {}
    void PrintNew() {
        std::vector<std::string> lines = ReadStandinLogFrom(printed_);
        printed_ += lines.size();
        for (const std::string& line : lines) {
            if (trace_ || IsMessageLine(line) || line.starts_with("MessageBox(")) {
                Print("  " + line + "\n");
            }
        }
    }

private:
    bool trace_;
    size_t printed_ = 0;
};

std::string Quoted(const std::string& utf8) {
    std::wstring wide = WideFromUtf8(utf8);
    return QuotedLogText(std::u16string(wide.begin(), wide.end()).c_str());
}

std::string Number(double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) return "?";
    std::string text(buffer, end);
    // 8 reads better as 8.0 in a column of diameters.
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
    return text;
}

std::string Padded(std::string text, size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

struct HoleState {
    int32_t id;
    bool excluded;
    std::vector<HoleStep> steps;
};

std::vector<HoleState> ReadHoles(const std::vector<int32_t>& ids) {
    std::vector<HoleState> holes;
    for (int32_t id : ids) {
        HoleRecord record{};
        if (KepTestHoleRecord(id, &record) != 0) continue;
        HoleState hole{id, record.excluded != 0, {}};
        for (int32_t i = 0; i < record.stepCount; ++i) {
            HoleStep step{};
            if (KepTestHoleStep(id, i, &step) == 0) hole.steps.push_back(step);
        }
        holes.push_back(std::move(hole));
    }
    return holes;
}

std::string HoleNote(const HoleState& hole) {
    std::string note = hole.excluded ? "  excluded" : "";
    const int32_t amended = KepTestAmendCount(hole.id);
    if (amended == 1) note += "  amended";
    if (amended > 1) note += "  amended " + std::to_string(amended) + " times";
    return note;
}

void PrintTable(const std::vector<HoleState>& before, const std::vector<HoleState>& after) {
    Print("\n hole  step  code      before       after\n");
    int changedHoles = 0;
    int amendedHoles = 0;
    for (size_t h = 0; h < before.size() && h < after.size(); ++h) {
        const HoleState& old = before[h];
        const HoleState& now = after[h];
        const std::string note = HoleNote(old);
        if (KepTestAmendCount(old.id) > 0) ++amendedHoles;
        if (old.steps.empty()) {
            Print(Padded(std::to_string(old.id), 5) + "     -     -           -           -   " +
                  note + "\n");
        }
        bool changed = false;
        for (size_t i = 0; i < old.steps.size(); ++i) {
            const double oldDiameter = old.steps[i].diameter;
            const double newDiameter = i < now.steps.size() ? now.steps[i].diameter : oldDiameter;
            const bool stepChanged = newDiameter != oldDiameter;
            changed = changed || stepChanged;
            Print(Padded(i == 0 ? std::to_string(old.id) : "", 5) +
                  Padded(std::to_string(i + 1), 6) + Padded(std::to_string(old.steps[i].code), 6) +
                  Padded(Number(oldDiameter), 12) + Padded(Number(newDiameter), 12) +
                  (stepChanged ? "  *" : "   ") + (i == 0 ? note : "") + "\n");
        }
        if (changed) ++changedHoles;
    }
    Print("\n" + std::to_string(before.size()) +
          " selected holes: " + std::to_string(changedHoles) + " with new diameters (*), " +
          std::to_string(amendedHoles) + " amended\n");
}

// ---- Running ----

std::filesystem::path ModuleFolder(const Options& options, std::optional<ScratchFolder>& scratch) {
    if (options.workdir) return *options.workdir;
    if (options.rules) return std::filesystem::absolute(*options.rules).parent_path();
    scratch.emplace(L"kephost");
    return scratch->path();
}

void Select(const std::vector<SelectionItem>& selection) {
    for (const SelectionItem& item : selection) {
        if (item.all) {
            KepTestSelectAll();
        } else {
            KepTestSelect(item.segment, item.element);
        }
    }
}

int Run(const Options& options) {
    LogPrinter log(options.trace);
    // Message boxes go into the log where they appear, among the host calls.
    MessageBoxWatcher watcher([](const SeenMessageBox& box) {
        KepTestAppendLog(
            ("MessageBox(" + Quoted(box.caption) + "," + Quoted(box.text) + ")").c_str());
    });

    std::optional<ScratchFolder> scratch;
    ModuleSessionOptions sessionOptions;
    sessionOptions.folder = ModuleFolder(options, scratch);
    if (options.module) sessionOptions.module = *options.module;
    if (options.rules && options.workdir) sessionOptions.ruleFile = *options.rules;
    sessionOptions.prepareHost = [&] {
        if (options.drawing && KepTestLoadDrawing(options.drawing->c_str()) != 0) {
            std::vector<std::string> lines = ReadStandinLog();
            throw std::runtime_error(lines.empty() ? "cannot load the drawing" : lines.back());
        }
        for (const Failure& failure : options.failures) {
            KepTestFailCall(failure.function.c_str(), failure.nth);
        }
    };

    ModuleSession session(sessionOptions);
    Print("> Startup -> " + std::to_string(session.startupResult()) + "  (" +
          Utf8FromWide(session.modulePath().wstring()) + ")\n");
    log.PrintNew();
    if (session.startupResult() != 0) {
        PrintError("the module refused to start");
        return kExitLoad;
    }

    Print("> start -> " + std::to_string(session.Start()) + "\n");
    log.PrintNew();

    Select(options.selection);
    std::vector<int32_t> selected(static_cast<size_t>(KepTestSelectedHoleIds(nullptr, 0)));
    KepTestSelectedHoleIds(selected.data(), static_cast<int32_t>(selected.size()));
    Print("> select: " + std::to_string(selected.size()) + " holes\n");
    const std::vector<HoleState> before = ReadHoles(selected);

    for (const Action& action : options.actions) {
        if (action.kind == Action::Kind::Event) {
            int32_t result = session.Execute(action.first);
            Print("> event " + std::to_string(action.first) + " -> " + std::to_string(result) +
                  "\n");
        } else {
            int32_t result = session.Pick(action.first, action.second);
            Print("> pick " + std::to_string(action.first) + ":" + std::to_string(action.second) +
                  " -> " + std::to_string(result) + "\n");
        }
        log.PrintNew();
    }

    PrintTable(before, ReadHoles(selected));
    return kExitOk;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 bytes and LF line ends as written
    _setmode(_fileno(stderr), _O_BINARY);
    Options options;
    try {
        options = ParseArguments(argc, argv);
    } catch (const UsageError& error) {
        PrintError(error.message);
        std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
        return kExitUsage;
    }
    if (options.help) {
        Print(kUsage);
        return kExitOk;
    }
    try {
        return Run(options);
    } catch (const std::exception& error) {
        PrintError(error.what());
        return kExitLoad;
    }
}

// kephost: runs the hole command of Quillet.dll on a drawing of the stand-in host, from the
// command line, and prints what the user would have seen and what became of the holes.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cwctype>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "QuilletVersion.h"
#include "host/KepEvents.h"
#include "platform/FilePaths_win.h"
#include "platform/WideText_win.h"
#include "rules/RuleFolder.h"
#include "settings/Registry_win.h"
#include "settings/SeatPlaces_win.h"
#include "standin/Drawing.h"
#include "standin/KepTest.h"
#include "testhost/DialogHook.h"
#include "testhost/FileVersion.h"
#include "testhost/ImportHook.h"
#include "testhost/MessageBoxWatcher.h"
#include "testhost/ModuleSession.h"
#include "testhost/ScratchFolder.h"
#include "testhost/StandinLog.h"
#include "testhost/TextUtf8.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitModuleError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCannotRun = 3;

constexpr wchar_t kRuleListCaption[] = L"Hole Diameter";
constexpr wchar_t kPreviewCaption[] = L"미리 보기";
constexpr int kPreviewList = 12101;
constexpr int kPreviewSummary = 12102;
constexpr int kUndoButton = 12026;
// Set by wine-run.sh when it runs the program on an Xvfb of its own, which nobody sees.
constexpr wchar_t kHiddenDisplayVariable[] = L"QUILLET_HIDDEN_DISPLAY";

constexpr std::string_view kUsage =
    "usage: kephost.exe [options]\n"
    "  --drawing FILE        drawing in the stand-in's text format (default: an empty drawing)\n"
    "  --module PATH         the module to load (default: Quillet.dll beside kephost.exe).\n"
    "                        It is copied into the folder the module runs from and the copy\n"
    "                        removed afterwards; when PATH is that folder's Quillet.dll (an\n"
    "                        installed module), it is loaded in place, neither copied nor\n"
    "                        removed\n"
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
    "  --answer yes|no       the button that ends the module's questions (default: yes)\n"
    "  --preview apply|cancel\n"
    "                        turn the preview before a rewrite on for this run (the user's\n"
    "                        PreviewBeforeRewrite, put back afterwards), print its rows and\n"
    "                        press 적용 or 취소. Without it a preview that opens (the setting\n"
    "                        is on) is printed and cancelled\n"
    "  --undo yes|no         open the rule list, press 되돌리기 and answer its question, then\n"
    "                        close the list with 취소 (repeatable, in order with --event; needs\n"
    "                        a display)\n"
    "  --trace               print every host call, not only the messages\n"
    "  --version             print kephost's version and the module's\n"
    "  --help                print this text\n"
    "Every message box of the module is printed, with the button that ended it, also when\n"
    "there is no display to show it on.\n"
    "exit status: 0 done; 1 the module showed a message box (a file error, a warning, a\n"
    "question; also one that no display could show) or an error message; 2 bad arguments;\n"
    "3 nothing run to the end: KepLib.dll beside kephost.exe, the drawing, the module or a\n"
    "file could not be used, the module refused to start, or --event 7 or --undo has no\n"
    "display\n";

struct UsageError {
    std::string message;
};

struct Action {
    enum class Kind { Event, Pick, Undo } kind;
    int32_t first;   // event code, element kind, or the answer to the undo's question
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
    int answer = IDYES;          // the button pressed in a question box
    std::optional<int> preview;  // IDOK (적용) or IDCANCEL (취소) with --preview
    bool trace = false;
    bool help = false;
    bool version = false;
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
        } else if (flag == L"--answer") {
            const std::wstring answer = value();
            if (answer != L"yes" && answer != L"no") {
                throw UsageError{"--answer: expected yes or no, found '" + Utf8FromWide(answer) +
                                 "'"};
            }
            options.answer = answer == L"yes" ? IDYES : IDNO;
        } else if (flag == L"--preview") {
            const std::wstring answer = value();
            if (answer != L"apply" && answer != L"cancel") {
                throw UsageError{"--preview: expected apply or cancel, found '" +
                                 Utf8FromWide(answer) + "'"};
            }
            options.preview = answer == L"apply" ? IDOK : IDCANCEL;
        } else if (flag == L"--undo") {
            const std::wstring answer = value();
            if (answer != L"yes" && answer != L"no") {
                throw UsageError{"--undo: expected yes or no, found '" + Utf8FromWide(answer) +
                                 "'"};
            }
            options.actions.push_back({Action::Kind::Undo, answer == L"yes" ? IDYES : IDNO, 0});
        } else if (flag == L"--trace") {
            options.trace = true;
        } else if (flag == L"--help" || flag == L"-h") {
            options.help = true;
        } else if (flag == L"--version") {
            options.version = true;
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

// A line of the log in which the module reports a problem: one of its own message boxes
// (the rule file could not be read or saved, rules beyond the 49th), an error message on
// the host's message line, or the host message box that ends a failed rewrite.
bool IsProblemLine(const std::string& line) {
    // The host message box of a failed rewrite, as the stand-in logs it.
    static constexpr std::string_view errorOccurred =
        "KepDlgMessageBox(\"Error가 발생하였습니다.\")";
    return line.starts_with("MessageBox(") || line.starts_with("KepMsgPutErrorMessage(") ||
           line == errorOccurred;
}

// A log line as a person reads it: the line breaks in its quoted texts, which the log keeps
// escaped (\r\n, \n), become real ones, each following line indented by `indent`.
std::string WithLineBreaks(std::string_view line, std::string_view indent) {
    std::string text;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const std::string_view rest = line.substr(i);
        if (quoted && rest.size() > 1 && rest[0] == '\\') {
            const size_t breakLength = rest.starts_with("\\r\\n") ? 4
                                       : rest.starts_with("\\n")  ? 2
                                                                  : 0;
            if (breakLength > 0) {
                text += '\n';
                text += indent;
            } else {
                text += rest.substr(0, 2);
            }
            i += std::max<size_t>(breakLength, 2) - 1;
            continue;
        }
        if (rest[0] == '"') quoted = !quoted;
        text += rest[0];
    }
    return text;
}

// Prints the log lines written since the last call, messages only or everything, and counts
// the problems the module reported.
class LogPrinter {
public:
    explicit LogPrinter(bool trace) : trace_(trace) {}
    // The boxes of an undo asked for (its question and its outcome) are not problems.
    void PrintNew(bool countProblems = true) {
        std::vector<std::string> lines = ReadStandinLogFrom(printed_);
        printed_ += lines.size();
        for (const std::string& line : lines) {
            if (countProblems && IsProblemLine(line)) ++problems_;
            if (trace_ || IsMessageLine(line) || line.starts_with("MessageBox") ||
                line.starts_with("Preview")) {
                Print("  " + WithLineBreaks(line, "      ") + "\n");
            }
        }
    }
    size_t problems() const { return problems_; }

private:
    bool trace_;
    size_t printed_ = 0;
    size_t problems_ = 0;
};

std::string Quoted(const wchar_t* text) {
    return QuotedLogText(ToU16(text != nullptr ? text : L"").c_str());
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

// The columns a UTF-8 text takes on a terminal: Hangul and the other East Asian wide letters
// take two.
size_t DisplayWidth(std::string_view text) {
    size_t width = 0;
    for (size_t i = 0; i < text.size(); ++width) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (length == 3 && i + 2 < text.size()) {
            const char32_t letter = (char32_t{lead} & 0x0F) << 12 |
                                    (static_cast<char32_t>(text[i + 1]) & 0x3F) << 6 |
                                    (static_cast<char32_t>(text[i + 2]) & 0x3F);
            const bool wide =
                (letter >= 0x1100 && letter <= 0x115F) || (letter >= 0x2E80 && letter <= 0xA4CF) ||
                (letter >= 0xAC00 && letter <= 0xD7A3) || (letter >= 0xF900 && letter <= 0xFAFF) ||
                (letter >= 0xFF00 && letter <= 0xFF60);
            if (wide) ++width;
        }
        i += length;
    }
    return width;
}

// `text` aligned right in `width` columns.
std::string Padded(std::string text, size_t width) {
    const size_t used = DisplayWidth(text);
    if (used < width) text.insert(0, width - used, ' ');
    return text;
}

std::string WithoutTrailingSpaces(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
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

// The holes' diameters after an action that can change them (a rewrite, an undo), or at the
// end of a run without one (`action` empty).
struct HoleSnapshot {
    std::string action;
    std::vector<HoleState> holes;
};

double DiameterIn(const HoleSnapshot& snapshot, size_t hole, size_t step, double otherwise) {
    if (hole >= snapshot.holes.size() || step >= snapshot.holes[hole].steps.size()) {
        return otherwise;
    }
    return snapshot.holes[hole].steps[step].diameter;
}

std::string SnapshotTitle(const HoleSnapshot& snapshot) {
    return snapshot.action.empty() ? "after" : "after " + snapshot.action;
}

constexpr size_t kSnapshotWidth = 16;

// One column per snapshot; * marks a diameter that its action changed.
void PrintTable(const std::vector<HoleState>& before, const std::vector<HoleSnapshot>& after) {
    Print(
        "\n> diameters of the selected holes before the command and after each rewrite and "
        "undo (*: changed by it)\n");
    std::string header = " hole  step  code      before";
    for (const HoleSnapshot& snapshot : after) {
        header += Padded(SnapshotTitle(snapshot), kSnapshotWidth) + "   ";
    }
    Print(WithoutTrailingSpaces(header) + "\n");
    std::vector<int> changedBy(after.size(), 0);
    int changedAtEnd = 0;
    int amendedHoles = 0;
    for (size_t h = 0; h < before.size(); ++h) {
        const HoleState& old = before[h];
        const std::string note = HoleNote(old);
        if (KepTestAmendCount(old.id) > 0) ++amendedHoles;
        if (old.steps.empty()) {
            std::string line = Padded(std::to_string(old.id), 5) + "     -     -           -";
            for (size_t c = 0; c < after.size(); ++c) line += Padded("-", kSnapshotWidth) + "   ";
            Print(WithoutTrailingSpaces(line + note) + "\n");
        }
        std::vector<bool> changedHere(after.size(), false);
        bool differsAtEnd = false;
        for (size_t i = 0; i < old.steps.size(); ++i) {
            std::string line = Padded(i == 0 ? std::to_string(old.id) : "", 5) +
                               Padded(std::to_string(i + 1), 6) +
                               Padded(std::to_string(old.steps[i].code), 6) +
                               Padded(Number(old.steps[i].diameter), 12);
            double previous = old.steps[i].diameter;
            for (size_t c = 0; c < after.size(); ++c) {
                const double diameter = DiameterIn(after[c], h, i, previous);
                const bool changed = diameter != previous;
                changedHere[c] = changedHere[c] || changed;
                line += Padded(Number(diameter), kSnapshotWidth) + (changed ? "  *" : "   ");
                previous = diameter;
            }
            differsAtEnd = differsAtEnd || previous != old.steps[i].diameter;
            Print(WithoutTrailingSpaces(line + (i == 0 ? note : "")) + "\n");
        }
        for (size_t c = 0; c < after.size(); ++c) changedBy[c] += changedHere[c] ? 1 : 0;
        if (differsAtEnd) ++changedAtEnd;
    }
    std::string summary = "\n" + std::to_string(before.size()) + " selected holes: ";
    if (after.size() == 1) {
        summary += std::to_string(changedBy[0]) + " with new diameters (*)";
    } else {
        for (size_t c = 0; c < after.size(); ++c) {
            summary += std::to_string(changedBy[c]) + " changed by " + after[c].action + " (*), ";
        }
        summary += std::to_string(changedAtEnd) + " with diameters other than before";
    }
    Print(summary + ", " + std::to_string(amendedHoles) + " amended\n");
}

// ---- The module's message boxes ----

std::string ButtonName(int id) {
    switch (id) {
        case IDOK:
            return "확인 (OK)";
        case IDCANCEL:
            return "취소 (cancel)";
        case IDYES:
            return "예 (yes)";
        case IDNO:
            return "아니요 (no)";
        default:
            return "button " + std::to_string(id);
    }
}

// Stands for MessageBoxW in the module's imports: each box goes into the log where the
// module shows it, and then the button that ended it (the watcher presses it), or why it
// could not be shown, as without a display, where the system shows nothing.
int WINAPI LoggedMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    KepTestAppendLog(("MessageBox(" + Quoted(caption) + "," + Quoted(text) + ")").c_str());
    SetLastError(ERROR_SUCCESS);
    const int button = MessageBoxW(owner, text, caption, type);
    const DWORD error = GetLastError();
    // Windows gives 0 for a box it cannot show; Wine without a display gives -1.
    std::string outcome = ButtonName(button);
    if (button <= 0) {
        outcome = "not shown (MessageBoxW gave " + std::to_string(button) +
                  (error != ERROR_SUCCESS ? ": " + DescribeError(error) : "") + ")";
    }
    KepTestAppendLog(("MessageBox -> " + outcome).c_str());
    return button;
}

// ---- The rule list dialog ----

// Whether a window can be shown to a person: not on the hidden Xvfb of wine-run.sh, and not
// without any display (under Wine every window creation then fails).
std::optional<std::string> WhyNoDisplay() {
    if (GetEnvironmentVariableW(kHiddenDisplayVariable, nullptr, 0) > 0) {
        return "DISPLAY is not set, and wine-run.sh runs programs on a hidden Xvfb of its own";
    }
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                 nullptr);
    if (probe == nullptr) return "no window can be created (is DISPLAY set?)";
    DestroyWindow(probe);
    return std::nullopt;
}

// The window of this thread's dialog that just initialised, when its caption is `caption`.
bool HasCaption(HWND window, std::wstring_view caption) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return std::wstring_view(text) == caption;
}

// Watches, on the thread that runs the module's dialogs, how the rule list dialog ends: the
// command after which it was hidden (확인 IDOK; 취소, Esc or the close box IDCANCEL). The dialog
// is followed from its start, so that posted commands are seen too.
class RuleListWatch {
public:
    RuleListWatch()
        : hook_([this](HWND dialog) {
              if (opened_ || !HasCaption(dialog, kRuleListCaption)) return;
              opened_ = true;
              hook_.FollowMessages(dialog, [this](HWND shown, UINT message, WPARAM wParam) {
                  if (message == WM_COMMAND && endedBy_ == 0 && !IsWindowVisible(shown)) {
                      endedBy_ = LOWORD(wParam);
                  }
              });
          }) {}

    std::string Outcome() const {
        if (!opened_) return "did not open";
        if (endedBy_ == IDOK) return "ended with 확인 (OK)";
        if (endedBy_ == IDCANCEL) return "ended with 취소 (cancel)";
        return "ended without 확인 or 취소";
    }

private:
    bool opened_ = false;
    int endedBy_ = 0;
    DialogHook hook_;
};

void PostClick(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string ListCellText(HWND list, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Utf8FromWide(text);
}

std::vector<std::string> ListColumnTitles(HWND list) {
    std::vector<std::string> titles;
    for (int column = 0;; ++column) {
        wchar_t text[64] = {};
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT;
        info.pszText = text;
        info.cchTextMax = static_cast<int>(std::size(text));
        if (SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info)) == 0) {
            return titles;
        }
        titles.push_back(Utf8FromWide(text));
    }
}

// The cells after `label`, each aligned right in its column's width but the last, which is
// left as it is.
std::string AlignedRow(std::string_view label, const std::vector<std::string>& cells,
                       const std::vector<size_t>& widths) {
    std::string line(label);
    for (size_t column = 0; column < cells.size(); ++column) {
        line += "  " + (column + 1 == cells.size() ? cells[column]
                                                   : Padded(cells[column], widths[column]));
    }
    return line;
}

// Answers the module's preview on the thread that runs it: once the dialog has initialised,
// its summary and rows go into the log (so that they stand among the host's messages) and
// 적용 or 취소 is posted. Without --preview a preview is cancelled, with a note why it opened.
class PreviewWatch {
public:
    explicit PreviewWatch(std::optional<int> button)
        : button_(button), hook_([this](HWND dialog) {
              if (HasCaption(dialog, kPreviewCaption)) Answer(dialog);
          }) {}

private:
    void Answer(HWND dialog) const {
        KepTestAppendLog(
            ("Preview(" + Quoted(TextOf(GetDlgItem(dialog, kPreviewSummary)).c_str()) + ")")
                .c_str());
        const HWND list = GetDlgItem(dialog, kPreviewList);
        const std::vector<std::string> titles = ListColumnTitles(list);
        std::vector<std::vector<std::string>> rows(
            static_cast<size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
        for (size_t row = 0; row < rows.size(); ++row) {
            for (size_t column = 0; column < titles.size(); ++column) {
                rows[row].push_back(
                    ListCellText(list, static_cast<int>(row), static_cast<int>(column)));
            }
        }
        std::vector<size_t> widths;
        for (const std::string& title : titles) widths.push_back(DisplayWidth(title));
        for (const auto& cells : rows) {
            for (size_t column = 0; column < cells.size(); ++column) {
                widths[column] = std::max(widths[column], DisplayWidth(cells[column]));
            }
        }
        KepTestAppendLog(AlignedRow("Preview columns:", titles, widths).c_str());
        for (const auto& cells : rows) {
            KepTestAppendLog(AlignedRow("Preview row:    ", cells, widths).c_str());
        }
        const int button = button_.value_or(IDCANCEL);
        KepTestAppendLog(button == IDOK ? "Preview -> 적용 (apply)"
                         : button_      ? "Preview -> 취소 (cancel)"
                                        : "Preview -> 취소 (cancel: no --preview given, and "
                                          "PreviewBeforeRewrite is on)");
        PostClick(dialog, button);
    }

    static std::wstring TextOf(HWND window) {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
        text.resize(static_cast<size_t>(
            GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    std::optional<int> button_;
    DialogHook hook_;
};

// Presses 되돌리기 in the rule list on the thread that runs it, and closes the list with 취소
// once the undo's click has been handled (its question answered by the message box watcher).
class UndoPress {
public:
    UndoPress()
        : hook_([this](HWND dialog) {
              if (opened_ || !HasCaption(dialog, kRuleListCaption)) return;
              opened_ = true;
              const HWND button = GetDlgItem(dialog, kUndoButton);
              pressed_ = button != nullptr && IsWindowEnabled(button);
              hook_.FollowMessages(dialog, [](HWND list, UINT message, WPARAM wParam) {
                  if (message == WM_COMMAND && LOWORD(wParam) == kUndoButton) {
                      PostClick(list, IDCANCEL);
                  }
              });
              PostClick(dialog, pressed_ ? kUndoButton : IDCANCEL);
          }) {}

    std::string Outcome() const {
        if (!opened_) return "the rule list did not open";
        if (!pressed_) return "되돌리기 is disabled: no rewrite to undo";
        return "되돌리기 pressed";
    }

private:
    bool opened_ = false;
    bool pressed_ = false;
    DialogHook hook_;
};

// The user's PreviewBeforeRewrite set for the life of the object, and put back as it was.
class UserPreviewSetting {
public:
    explicit UserPreviewSetting(bool on) {
        if (auto old = ReadSettingValue(SettingRoot::User, kPreviewBeforeRewriteSetting)) {
            old_ = old->text;
        }
        (void)RememberText(kPreviewBeforeRewriteSetting, on ? u"1" : u"0");
    }
    ~UserPreviewSetting() {
        if (old_) {
            (void)RememberText(kPreviewBeforeRewriteSetting, *old_);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, ToWide(kSettingsKey).c_str(),
                               ToWide(kPreviewBeforeRewriteSetting.name).c_str());
        }
    }
    UserPreviewSetting(const UserPreviewSetting&) = delete;
    UserPreviewSetting& operator=(const UserPreviewSetting&) = delete;

private:
    std::optional<std::u16string> old_;
};

// The file a path names, as (volume, index); nothing when it cannot be opened. Two paths
// name one file when these agree, whatever their spelling (letter case, a "\\?\" prefix).
std::optional<std::pair<DWORD, uint64_t>> FileIdentity(const wchar_t* path) {
    UniqueFile file(CreateFileW(path, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return std::pair{info.dwVolumeSerialNumber,
                     (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// Sees, on the thread that runs the rule list, whether the module saves the rule file: a
// save writes a file of its own and renames it onto the rule file with MoveFileExW, which
// the module imports through SavedMoveFile while the watch is in effect. A file that another
// program writes meanwhile does not count.
class RuleFileSaveWatch {
public:
    explicit RuleFileSaveWatch(std::filesystem::path ruleFile) : ruleFile_(std::move(ruleFile)) {
        current_ = this;
    }
    ~RuleFileSaveWatch() { current_ = nullptr; }
    RuleFileSaveWatch(const RuleFileSaveWatch&) = delete;
    RuleFileSaveWatch& operator=(const RuleFileSaveWatch&) = delete;

    bool saved() const { return saved_; }

    static BOOL WINAPI SavedMoveFile(const wchar_t* from, const wchar_t* to, DWORD flags) {
        const BOOL moved = MoveFileExW(from, to, flags);
        const DWORD error = GetLastError();
        if (moved && current_ != nullptr && to != nullptr) {
            const auto target = FileIdentity(to);
            current_->saved_ =
                current_->saved_ || (target && target == FileIdentity(current_->ruleFile_.c_str()));
        }
        SetLastError(error);
        return moved;
    }

private:
    static inline thread_local RuleFileSaveWatch* current_ = nullptr;
    std::filesystem::path ruleFile_;
    bool saved_ = false;
};

// Where the module keeps its rule file, chosen as the module chooses it: in the folder a
// registry value names, else beside the module.
SeatPlaces SeatPlacesOf(const ModuleSession& session) {
    return ReadSeatPlaces(ToU16(session.folder().wstring()));
}

// Runs event 7 and says how the dialog ended and whether, and where, the rule file was
// written.
int32_t RunRuleListEvent(ModuleSession& session, std::string& outcome) {
    const std::filesystem::path ruleFile = ToWide(SeatPlacesOf(session).location.file);
    RuleListWatch watch;
    RuleFileSaveWatch save(ruleFile);
    const int32_t result = session.Execute(kEventRuleList);
    outcome = "> rule list: " + watch.Outcome() + "; Quillet.def " +
              (save.saved() ? "written" : "not written") + " (" + Utf8FromWide(ruleFile.wstring()) +
              ")\n";
    return result;
}

// Opens the rule list, presses 되돌리기 and answers its question with `answer`.
int32_t RunUndo(ModuleSession& session, MessageBoxWatcher& watcher, int answer, int usualAnswer,
                std::string& outcome) {
    UndoPress press;
    watcher.PreferButton(answer);
    const int32_t result = session.Execute(kEventRuleList);
    watcher.PreferButton(usualAnswer);
    outcome = "> undo: " + press.Outcome() + "\n";
    return result;
}

// The journals the module appends to: this user's own, and this seat's file in the rule
// folder the registry names.
std::vector<std::filesystem::path> JournalPaths(const ModuleSession& session) {
    std::vector<std::filesystem::path> paths;
    const SeatPlaces places = SeatPlacesOf(session);
    if (!places.ownFolder.empty()) paths.push_back(ToWide(places.ownFolder + u"\\journal.csv"));
    const RuleLocation& location = places.location;
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (location.configured() && location.usable() && GetComputerNameW(computer, &size)) {
        paths.push_back(ToWide(SeatJournalPath(location.folder, ToU16(computer))));
    }
    return paths;
}

// What kephost watches of the module's calls to the system: its message boxes and its saves.
void RedirectModuleImports(HMODULE module) {
    const std::tuple<const char*, const char*, const void*> redirections[] = {
        {"user32.dll", "MessageBoxW", reinterpret_cast<const void*>(&LoggedMessageBox)},
        {"kernel32.dll", "MoveFileExW",
         reinterpret_cast<const void*>(&RuleFileSaveWatch::SavedMoveFile)}};
    for (const auto& [library, function, replacement] : redirections) {
        if (!RedirectImport(module, library, function, replacement)) {
            throw std::runtime_error(std::string("the module imports no ") + function + " from " +
                                     library + ", which kephost watches");
        }
    }
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
        } else if (KepTestSelect(item.segment, item.element) != 0) {
            PrintError("warning: --select " + std::to_string(item.segment) + ":" +
                       std::to_string(item.element) + ": the drawing has no element " +
                       std::to_string(item.element) + " in segment " +
                       std::to_string(item.segment));
        }
    }
}

int Run(const Options& options) {
    LogPrinter log(options.trace);
    // Closes the boxes that LoggedMessageBox puts into the log.
    MessageBoxWatcher watcher;
    watcher.PreferButton(options.answer);

    std::optional<ScratchFolder> scratch;
    ModuleSessionOptions sessionOptions;
    sessionOptions.folder = ModuleFolder(options, scratch);
    if (options.module) sessionOptions.module = *options.module;
    if (options.rules && options.workdir) sessionOptions.ruleFile = *options.rules;
    sessionOptions.beforeStartup = RedirectModuleImports;
    sessionOptions.prepareHost = [&] {
        if (options.drawing && KepTestLoadDrawing(options.drawing->c_str()) != 0) {
            std::vector<std::string> lines = ReadStandinLog();
            throw std::runtime_error(lines.empty() ? "cannot load the drawing" : lines.back());
        }
        for (const Failure& failure : options.failures) {
            KepTestFailCall(failure.function.c_str(), failure.nth);
        }
    };

    std::optional<UserPreviewSetting> previewSetting;
    if (options.preview) previewSetting.emplace(true);
    PreviewWatch preview(options.preview);

    ModuleSession session(sessionOptions);
    Print("> Startup -> " + std::to_string(session.startupResult()) + "  (" +
          Utf8FromWide(session.modulePath().wstring()) + ")\n");
    log.PrintNew();
    if (session.startupResult() != 0) {
        PrintError("the module refused to start");
        return kExitCannotRun;
    }

    Print("> start -> " + std::to_string(session.Start()) + "\n");
    log.PrintNew();

    Select(options.selection);
    std::vector<int32_t> selected(static_cast<size_t>(KepTestSelectedHoleIds(nullptr, 0)));
    KepTestSelectedHoleIds(selected.data(), static_cast<int32_t>(selected.size()));
    Print("> select: " + std::to_string(selected.size()) + " holes\n");
    const std::vector<HoleState> before = ReadHoles(selected);
    std::vector<HoleSnapshot> after;

    bool journaled = false;
    for (const Action& action : options.actions) {
        std::string outcome;  // of the rule list dialog, printed after the messages
        if (action.kind == Action::Kind::Undo) {
            const int32_t result = RunUndo(session, watcher, action.first, options.answer, outcome);
            Print("> event 7 (undo: " + ButtonName(action.first) + ") -> " +
                  std::to_string(result) + "\n");
            journaled = true;
        } else if (action.kind == Action::Kind::Event) {
            journaled = journaled || action.first == kEventRewrite;
            const int32_t result = action.first == kEventRuleList
                                       ? RunRuleListEvent(session, outcome)
                                       : session.Execute(action.first);
            Print("> event " + std::to_string(action.first) + " -> " + std::to_string(result) +
                  "\n");
        } else {
            int32_t result = session.Pick(action.first, action.second);
            Print("> pick " + std::to_string(action.first) + ":" + std::to_string(action.second) +
                  " -> " + std::to_string(result) + "\n");
        }
        log.PrintNew(action.kind != Action::Kind::Undo);
        Print(outcome);
        if (action.kind == Action::Kind::Undo) {
            after.push_back({"undo", ReadHoles(selected)});
        } else if (action.kind == Action::Kind::Event && action.first == kEventRewrite) {
            after.push_back({"event 0", ReadHoles(selected)});
        }
    }

    // As a host ends the command: the journal written behind the rewrites is finished, and
    // what it could not record is told.
    session.End();
    log.PrintNew();

    if (after.empty()) after.push_back({"", ReadHoles(selected)});
    PrintTable(before, after);
    if (journaled) {
        for (const std::filesystem::path& journal : JournalPaths(session)) {
            if (std::filesystem::exists(journal)) {
                Print("journal: " + Utf8FromWide(journal.wstring()) + "\n");
            }
        }
    }
    if (log.problems() > 0) {
        PrintError("the module reported " + std::to_string(log.problems()) +
                   " problem(s): see the message boxes and error messages above");
        return kExitModuleError;
    }
    return kExitOk;
}

// kephost imports the stand-in KepLib.dll only when it first calls it (delay-load), so
// that a missing or damaged one is reported here in words instead of by the loader. The
// library stays loaded for the process; the delay-load helper and the module find it so.
std::optional<std::string> WhyNoHostLibrary() {
    const std::filesystem::path library = DefaultModulePath().parent_path() / L"KepLib.dll";
    if (LoadLibraryW(library.c_str()) != nullptr) return std::nullopt;
    return "cannot load the host library " + Utf8FromWide(library.wstring()) + ": " +
           DescribeError(GetLastError());
}

int PrintVersions(const Options& options) {
    Print(std::string("kephost ") + kQuilletVersion + "\n");
    const std::filesystem::path module = options.module.value_or(DefaultModulePath());
    if (GetFileAttributesW(module.c_str()) == INVALID_FILE_ATTRIBUTES) {
        PrintError("module not found: " + Utf8FromWide(module.wstring()) + " (" +
                   DescribeError(GetLastError()) + ")");
        return kExitCannotRun;
    }
    const std::optional<FileVersionInfo> info = ReadFileVersionInfo(module);
    const bool known = info && info->strings.contains("FileVersion");
    Print("module " + Utf8FromWide(module.wstring()) + ": " +
          (known ? info->strings.at("FileVersion") : "no version resource") + "\n");
    return known ? kExitOk : kExitCannotRun;
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
    if (options.version) return PrintVersions(options);
    if (std::optional<std::string> why = WhyNoHostLibrary()) {
        PrintError(*why);
        return kExitCannotRun;
    }
    const bool opensRuleList = std::ranges::any_of(options.actions, [](const Action& action) {
        return action.kind == Action::Kind::Undo ||
               (action.kind == Action::Kind::Event && action.first == kEventRuleList);
    });
    if (opensRuleList) {
        if (std::optional<std::string> why = WhyNoDisplay()) {
            PrintError(
                "--event 7 and --undo open the rule list dialog, which needs a display a person "
                "can see: " +
                *why + ". Run it from a desktop session.");
            return kExitCannotRun;
        }
    }
    try {
        return Run(options);
    } catch (const std::exception& error) {
        PrintError(error.what());
        return kExitCannotRun;
    }
}

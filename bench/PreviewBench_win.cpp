// preview_bench: how long event 0 takes to put "미리 보기" on the screen, and the process's
// peak memory, for a selection of N entries over N/3 holes of ten steps each (every step
// matched by the one rule). Runs the real Quillet.dll in the stand-in host under Wine, one
// size per process so that the peak is that size's own; docs/benchmarks.md says how. With
// --no-preview it times event 0 with the preview switched off, which amends every hole (and
// journals every changed step); with --host-calls it makes, without the module, the host
// calls such a rewrite cannot do without (the selection, one read and one amend per hole)
// on the same drawing, the side-by-side figure for event 0. "Command ended" is when the end
// callback, which waits for the journal written behind the rewrite, has returned.
//
// "Shown" is the first timer message the dialog receives once it is visible: a message loop
// hands out timer messages only when no posted, input or paint message is waiting, so by
// then the dialog and its list have been shown and painted once.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <unordered_set>

#include "host/KepLib.h"
#include "settings/Registry_win.h"
#include "standin/KepTest.h"
#include "testhost/DialogHook.h"
#include "testhost/ModuleSession.h"
#include "testhost/ScratchFolder.h"

namespace {

constexpr int kElementsPerHole = 3;
constexpr int kStepsPerHole = 10;
constexpr wchar_t kPreviewCaption[] = L"미리 보기";
constexpr int kPreviewList = 12101;
constexpr UINT_PTR kShownTimer = 0x5142;

using Clock = std::chrono::steady_clock;

// Codes 100..209 and diameters 7.5..9.25 as in the native rewrite benchmark; one step in
// eight already has the 8.5 the rule writes.
void WriteDrawing(const std::filesystem::path& path, int64_t entries) {
    std::ofstream out(path, std::ios::binary);
    const int64_t holes = (entries + kElementsPerHole - 1) / kElementsPerHole;
    int64_t element = 0;
    for (int64_t h = 0; h < holes; ++h) {
        out << "hole " << h + 1 << "\n";
        for (int e = 0; e < kElementsPerHole && element < entries; ++e) {
            out << "element " << (h + 1) % 16 << " " << ++element << "\n";
        }
        for (int s = 0; s < kStepsPerHole; ++s) {
            out << "step " << 100 + (h * 7 + s * 13) % 110 << " " << 7.5 + 0.25 * ((h + s) % 8)
                << "\n";
        }
    }
}

void WriteRules(const std::filesystem::path& path) {
    const std::u16string text =
        u"\xFEFF"
        u"1\t100\t209\t0\t100\t8.5\r\n";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(text.data()),
              static_cast<std::streamsize>(text.size() * sizeof(char16_t)));
}

struct Shown {
    std::optional<Clock::time_point> initialised;
    std::optional<Clock::time_point> at;
    int rows = -1;
};

// Takes the preview's first timer after its first paint as the moment it is shown, then
// cancels it.
class PreviewClock {
public:
    explicit PreviewClock(Shown& shown)
        : shown_(shown), hook_([this](HWND dialog) { Watch(dialog); }) {}

private:
    void Watch(HWND dialog) {
        wchar_t caption[64] = {};
        GetWindowTextW(dialog, caption, 64);
        if (std::wstring(caption) != kPreviewCaption) return;
        shown_.initialised = Clock::now();
        SetTimer(dialog, kShownTimer, USER_TIMER_MINIMUM, nullptr);
        hook_.FollowMessages(dialog, [this](HWND window, UINT message, WPARAM wParam) {
            if (message != WM_TIMER || wParam != kShownTimer || shown_.at) return;
            // The modal loop shows the dialog when its queue first runs dry, which may come
            // after a timer that was due already.
            if (!IsWindowVisible(window)) return;
            shown_.at = Clock::now();
            KillTimer(window, kShownTimer);
            shown_.rows =
                static_cast<int>(SendDlgItemMessageW(window, kPreviewList, LVM_GETITEMCOUNT, 0, 0));
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
        });
    }

    Shown& shown_;
    DialogHook hook_;
};

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// The selection walked, each distinct hole read, its steps set to 8.5 as the rule does, and
// amended: the host's share of event 0.
void HostCallsAlone() {
    void* selection = KepIddOpenSelIdData(1);
    if (selection == nullptr) return;
    std::unordered_set<int32_t> seen;
    SelectionEntry entry{};
    for (int32_t more = KepIddGetHeadSelIdData(selection, &entry); more != -1;
         more = KepIddGetNextSelIdData(selection, &entry)) {
        const ElementRef ref{entry.element, entry.segment};
        const int32_t hole = KepHolGetHoleId(&ref);
        if (hole == -1 || !seen.insert(hole).second) continue;
        HoleRecord record{};
        if (KepHolGetHoleData(hole, &record) == -1) continue;
        for (int32_t i = 0; i < record.stepCount; ++i) record.steps[i].diameter = 8.5;
        KepHolAmendHoleData(hole, &record);
    }
    KepIddCloseSelIdData(selection);
}

int TimeHostCallsAlone(int64_t entries) {
    const ScratchFolder folder(L"previewbench");
    const std::filesystem::path drawing = folder.path() / L"drawing.txt";
    WriteDrawing(drawing, entries);
    KepTestReset();
    KepTestLogCalls(0);
    if (KepTestLoadDrawing(drawing.c_str()) != 0) throw std::runtime_error("drawing");
    KepTestSelectAll();
    const PROCESS_MEMORY_COUNTERS before = Memory();
    const Clock::time_point start = Clock::now();
    HostCallsAlone();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("entries %lld  host calls alone %.3f s  working set before %.1f MB  peak %.1f MB\n",
                static_cast<long long>(entries), seconds, Megabytes(before.WorkingSetSize),
                Megabytes(Memory().PeakWorkingSetSize));
    return 0;
}

int Run(int64_t entries, bool preview) {
    const ScratchFolder folder(L"previewbench");
    const std::filesystem::path drawing = folder.path() / L"drawing.txt";
    WriteDrawing(drawing, entries);
    WriteRules(folder.path() / L"Quillet.def");
    (void)RememberText(kPreviewBeforeRewriteSetting, preview ? u"1" : u"0");

    ModuleSessionOptions options;
    options.folder = folder.path();
    options.prepareHost = [&] {
        KepTestLogCalls(0);
        if (KepTestLoadDrawing(drawing.c_str()) != 0) throw std::runtime_error("drawing");
    };
    ModuleSession session(options);
    if (session.startupResult() != 0 || session.Start() != 0) {
        std::fprintf(stderr, "preview_bench: the module did not start\n");
        return 1;
    }
    KepTestSelectAll();
    const PROCESS_MEMORY_COUNTERS before = Memory();

    Shown shown;
    const PreviewClock clock(shown);
    const Clock::time_point start = Clock::now();
    session.Execute(0);
    const Clock::time_point end = Clock::now();
    session.End();
    const Clock::time_point ended = Clock::now();
    const PROCESS_MEMORY_COUNTERS after = Memory();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(kSettingsKey),
                       reinterpret_cast<const wchar_t*>(kPreviewBeforeRewriteSetting.name.data()));

    const auto seconds = [&](Clock::time_point at) {
        return std::chrono::duration<double>(at - start).count();
    };
    std::printf(
        "entries %lld  holes %lld  rows %d  initialised %.3f s  shown %.3f s  "
        "event 0 returned %.3f s  command ended %.3f s  working set before %.1f MB  "
        "peak %.1f MB  peak commit %.1f MB\n",
        static_cast<long long>(entries),
        static_cast<long long>((entries + kElementsPerHole - 1) / kElementsPerHole), shown.rows,
        shown.initialised ? seconds(*shown.initialised) : -1.0,
        shown.at ? seconds(*shown.at) : -1.0, seconds(end), seconds(ended),
        Megabytes(before.WorkingSetSize), Megabytes(after.PeakWorkingSetSize),
        Megabytes(after.PeakPagefileUsage));
    return shown.at || !preview ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc == 3 ? argv[2] : L"";
    if (argc < 2 || argc > 3 || (argc == 3 && mode != L"--no-preview" && mode != L"--host-calls")) {
        std::fprintf(stderr, "usage: preview_bench.exe ENTRIES [--no-preview | --host-calls]\n");
        return 2;
    }
    try {
        const int64_t entries = std::wcstoll(argv[1], nullptr, 10);
        if (mode == L"--host-calls") return TimeHostCallsAlone(entries);
        return Run(entries, mode.empty());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "preview_bench: %s\n", e.what());
        return 3;
    }
}

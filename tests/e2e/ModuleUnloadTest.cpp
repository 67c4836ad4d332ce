// A host that loads and unloads its plug-ins: Quillet.dll loaded, started, run and unloaded
// 3,000 times in one process leaves no thread-local-storage index, handle, window class,
// GUI object or memory behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "DialogDriver.h"
#include "E2eSupport.h"
#include "framework/MfcButton_win.h"
#include "journal/JournalReader.h"
#include "platform/Handles_win.h"
#include "standin/KepTest.h"
#include "testhost/MessageBoxWatcher.h"
#include "testhost/ModuleSession.h"

namespace {

constexpr int kCycles = 3000;
constexpr int kWarmUpCycles = 100;
constexpr int kRuleListEvery = 150;  // opens the list, which registers "MfcButton"

// The TLS index a new one would get (the lowest free one), the handle count plus the value a
// new handle would get (Wine counts no handles), the GUI objects (on Windows; Wine counts
// none) and the committed private memory (Wine reports no private bytes).
struct Footprint {
    DWORD nextTlsIndex;
    size_t handles;
    DWORD guiObjects;
    size_t privateBytes = 0;
};

Footprint Measure() {
    const DWORD tls = TlsAlloc();
    TlsFree(tls);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(event);
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    Footprint footprint{tls, handles + reinterpret_cast<size_t>(event) / 4,
                        GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) +
                            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            footprint.privateBytes += region.RegionSize;
        }
    }
    return footprint;
}

bool MfcButtonRegisteredFor(HMODULE module) {
    WNDCLASSEXW found{};
    found.cbSize = sizeof found;
    return GetClassInfoExW(module, kMfcButtonClassName, &found) != 0;
}

TEST(ModuleUnload, ThousandsOfLoadUseUnloadCyclesLeaveNothingBehind) {
    const DisplayDriverLoaded displayDriver;
    // A host keeps the common controls loaded; reloading them would take most of a cycle.
    const UniqueModule commonControls(LoadLibraryW(L"comctl32.dll"));
    const MessageBoxWatcher boxes;
    const TempFolder folder;
    const std::wstring module = folder.File(L"Quillet.dll");
    ASSERT_TRUE(CopyFileW(DefaultModulePath().c_str(), module.c_str(), TRUE));
    WriteBytes(folder.File(L"Quillet.def"), Utf16Le(u"1\t101\t\t8.1\t8.99\t8.5\r\n"));
    const std::wstring drawing = folder.File(L"drawing.txt");
    const std::string_view drawingText = "hole 1\nelement 1 101\nstep 101 8.3\n";
    WriteBytes(drawing, Bytes(drawingText.begin(), drawingText.end()));
    ModuleSessionOptions options;
    options.folder = folder.path();
    options.module = module;  // loaded where it lies, not copied each time
    options.prepareHost = [&] { KepTestLoadDrawing(drawing.c_str()); };

    Footprint warm{};
    HMODULE lastModule = nullptr;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        {
            ModuleSession session(options);
            lastModule = session.module();
            ASSERT_EQ(session.Start(), 0) << cycle;
            KepTestSelectAll();
            ASSERT_EQ(session.Execute(0), 0) << cycle;
            HoleStep step{};
            ASSERT_EQ(KepTestHoleStep(1, 0, &step), 0);
            ASSERT_EQ(step.diameter, 8.5) << cycle;
            if (cycle % kRuleListEvery == 1) {
                RunWhileDriving([&] { return session.Execute(7); },
                                [] { Press(WaitForDialog(kListCaption), IDCANCEL); });
                EXPECT_FALSE(MfcButtonRegisteredFor(lastModule)) << cycle;
            }
            session.End();  // as a host ends the command before it unloads the module
        }
        if (cycle == kWarmUpCycles) warm = Measure();
        // Running out of TLS indexes aborts the process: say so long before that.
        if (cycle > kWarmUpCycles && cycle % kRuleListEvery == 0) {
            ASSERT_EQ(Measure().nextTlsIndex, warm.nextTlsIndex) << cycle;
        }
    }
    const Footprint end = Measure();
    EXPECT_FALSE(MfcButtonRegisteredFor(lastModule));
    EXPECT_EQ(end.nextTlsIndex, warm.nextTlsIndex);
    EXPECT_LE(end.handles, warm.handles + 8);
    EXPECT_LE(end.guiObjects, warm.guiObjects + 8);
    // Even 400 bytes a cycle would show as more than a megabyte.
    EXPECT_LE(end.privateBytes, warm.privateBytes + 1024 * 1024)
        << warm.privateBytes << " -> " << end.privateBytes;
    EXPECT_EQ(boxes.Count(), 0u);
}

std::optional<Bytes> ReadBytesIfThere(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return ReadBytes(path);
}

// The host unloads the module right after a large rewrite, without ending the command: the
// module stays loaded until its journal has the whole act, then goes.
TEST(ModuleUnload, AnUnloadWhileTheJournalIsWrittenWaitsForTheWholeAct) {
    constexpr int kHoles = 20'000;
    constexpr int kSteps = 10;
    const TempFolder folder;
    WriteBytes(folder.File(L"Quillet.def"), Utf16Le(u"1\t100\t209\t0\t100\t8.5\r\n"));
    std::string drawing;
    for (int hole = 1; hole <= kHoles; ++hole) {
        drawing += "hole " + std::to_string(hole) + "\nelement 1 " + std::to_string(hole) + "\n";
        for (int step = 0; step < kSteps; ++step) drawing += "step 150 7.5\n";
    }
    WriteBytes(folder.File(L"drawing.txt"), Bytes(drawing.begin(), drawing.end()));
    // Other tests may append to this user's journal meanwhile: only acts of this size count.
    const std::wstring journal =
        std::wstring(_wgetenv(L"LOCALAPPDATA")) + L"\\Quillet\\journal.csv";
    const auto wholeActsOfThisSize = [&] {
        const std::optional<Bytes> bytes = ReadBytesIfThere(journal);
        const JournalFile read =
            ReadJournal(bytes ? std::string(bytes->begin(), bytes->end()) : std::string());
        return std::ranges::count_if(read.acts, [](const JournalFile::Act& act) {
            return !act.cut && act.rows.size() == size_t{kHoles} * kSteps;
        });
    };
    const auto before = wholeActsOfThisSize();
    ModuleSessionOptions options;
    options.folder = folder.path();
    options.prepareHost = [&] { KepTestLoadDrawing(folder.File(L"drawing.txt").c_str()); };
    std::wstring modulePath;
    {
        ModuleSession session(options);
        modulePath = session.modulePath().wstring();
        ASSERT_EQ(session.Start(), 0);
        KepTestSelectAll();
        ASSERT_EQ(session.Execute(0), 0);
    }
    EXPECT_EQ(GetModuleHandleW(modulePath.c_str()), nullptr);
    EXPECT_EQ(wholeActsOfThisSize(), before + 1);
}

}  // namespace

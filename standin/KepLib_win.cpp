// The stand-in KepLib.dll: the host library's functions and the test controls over one
// process-wide in-memory drawing and the callbacks the module registered.
#define KEPLIB_API __declspec(dllexport)
#define KEPTEST_API __declspec(dllexport)

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "host/KepLib.h"
#include "standin/Drawing.h"
#include "standin/DrawingFile.h"
#include "standin/KepTest.h"

namespace {

// The host's state. Test threads (a dialog driver, a log reader) may call the controls
// while the module runs, so every entry takes the lock; the stand-in never calls back into
// the module, so holding it cannot deadlock.
struct StandIn {
    std::mutex mutex;
    Drawing drawing;
    KepStartProc start = nullptr;
    KepResumeProc resume = nullptr;
    KepEndProc end = nullptr;
    KepExecuteProc execute = nullptr;
    KepCompareProc compare = nullptr;
};

StandIn& Host() {
    static StandIn standIn;
    return standIn;
}

std::unique_lock<std::mutex> Lock() {
    return std::unique_lock(Host().mutex);
}

// A copy of the text as char16_t (the same code units as wchar_t on Windows), or null.
class Utf16Copy {
public:
    explicit Utf16Copy(const wchar_t* text) : given_(text != nullptr) {
        if (text) copy_.assign(text, text + std::wcslen(text));
    }
    const char16_t* get() const { return given_ ? copy_.c_str() : nullptr; }

private:
    bool given_;
    std::u16string copy_;
};

std::string PathText(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

extern "C" {

// ---- Host functions ----

int32_t __cdecl KepCtlRegisterKepLib2(KepStartProc start, KepResumeProc resume, KepEndProc end) {
    auto lock = Lock();
    Host().start = start;
    Host().resume = resume;
    Host().end = end;
    return Host().drawing.KepCtlRegisterKepLib2(start != nullptr, resume != nullptr,
                                                end != nullptr);
}

void __cdecl KepCtlSetExecuteFunc(KepExecuteProc execute, const wchar_t* title) {
    auto lock = Lock();
    Host().execute = execute;
    Host().drawing.KepCtlSetExecuteFunc(execute != nullptr, Utf16Copy(title).get());
}

void __cdecl KepEvtSetEventMask(int32_t mask) {
    auto lock = Lock();
    Host().drawing.KepEvtSetEventMask(mask);
}

void __cdecl KepEvtSetObject(const int32_t* object) {
    auto lock = Lock();
    Host().drawing.KepEvtSetObject(object);
}

void __cdecl KepEvtSetCompareFunction(KepCompareProc compare) {
    auto lock = Lock();
    Host().compare = compare;
    Host().drawing.KepEvtSetCompareFunction(compare != nullptr);
}

int32_t __cdecl KepIddClearSysIdData(void) {
    auto lock = Lock();
    return Host().drawing.KepIddClearSysIdData();
}

void* __cdecl KepIddOpenSelIdData(int32_t mode) {
    auto lock = Lock();
    return Host().drawing.KepIddOpenSelIdData(mode);
}

int32_t __cdecl KepIddGetHeadSelIdData(void* handle, SelectionEntry* entry) {
    auto lock = Lock();
    SelectionEntry fetched{};
    int32_t result = Host().drawing.KepIddGetHeadSelIdData(handle, fetched);
    if (result != kHostFailure && entry) *entry = fetched;
    return entry ? result : kHostFailure;
}

int32_t __cdecl KepIddGetNextSelIdData(void* handle, SelectionEntry* entry) {
    auto lock = Lock();
    SelectionEntry fetched{};
    int32_t result = Host().drawing.KepIddGetNextSelIdData(handle, fetched);
    if (result != kHostFailure && entry) *entry = fetched;
    return entry ? result : kHostFailure;
}

void __cdecl KepIddCloseSelIdData(void* handle) {
    auto lock = Lock();
    Host().drawing.KepIddCloseSelIdData(handle);
}

int32_t __cdecl KepElmGetSegment(int32_t elementKind, int32_t elementNumber) {
    auto lock = Lock();
    return Host().drawing.KepElmGetSegment(elementKind, elementNumber);
}

int32_t __cdecl KepHolGetHoleId(const ElementRef* ref) {
    auto lock = Lock();
    return ref ? Host().drawing.KepHolGetHoleId(*ref) : kNoHole;
}

int32_t __cdecl KepHolGetHoleData(int32_t holeId, HoleRecord* record) {
    auto lock = Lock();
    return record ? Host().drawing.KepHolGetHoleData(holeId, *record) : kHostFailure;
}

int32_t __cdecl KepHolAmendHoleData(int32_t holeId, const HoleRecord* record) {
    auto lock = Lock();
    return record ? Host().drawing.KepHolAmendHoleData(holeId, *record) : kHostFailure;
}

void __cdecl KepMsgPutMessage(const wchar_t* text) {
    auto lock = Lock();
    Host().drawing.KepMsgPutMessage(Utf16Copy(text).get());
}

void __cdecl KepMsgPutErrorMessage(const wchar_t* text) {
    auto lock = Lock();
    Host().drawing.KepMsgPutErrorMessage(Utf16Copy(text).get());
}

void __cdecl KepDlgMessageBox(const wchar_t* text) {
    auto lock = Lock();
    Host().drawing.KepDlgMessageBox(Utf16Copy(text).get());
}

// ---- Test controls ----

void __cdecl KepTestReset(void) {
    auto lock = Lock();
    Host().drawing.Reset();
    Host().start = nullptr;
    Host().resume = nullptr;
    Host().end = nullptr;
    Host().execute = nullptr;
    Host().compare = nullptr;
}

int32_t __cdecl KepTestLoadDrawing(const wchar_t* path) {
    auto lock = Lock();
    if (!path) return -1;
    // Nothing may propagate out of a C export: a path that does not convert is a failure too.
    try {
        std::filesystem::path file(path);
        if (auto error = LoadDrawingFile(file, Host().drawing)) {
            Host().drawing.AppendLog("KepTestLoadDrawing: " + PathText(file) + ": " +
                                     error->Describe());
            return -1;
        }
        return 0;
    } catch (const std::exception& error) {
        Host().drawing.AppendLog(std::string("KepTestLoadDrawing: ") + error.what());
        return -1;
    }
}

int32_t __cdecl KepTestSelect(int32_t segment, int32_t element) {
    auto lock = Lock();
    return Host().drawing.Select(segment, element) ? 0 : -1;
}

void __cdecl KepTestSelectAll(void) {
    auto lock = Lock();
    Host().drawing.SelectAll();
}

void __cdecl KepTestClearSelection(void) {
    auto lock = Lock();
    Host().drawing.ClearSelection();
}

int32_t __cdecl KepTestFailCall(const char* functionName, int32_t nth) {
    auto lock = Lock();
    return functionName && Host().drawing.FailCall(functionName, nth) ? 0 : -1;
}

void __cdecl KepTestSetRegisterResult(int32_t result) {
    auto lock = Lock();
    Host().drawing.SetRegisterResult(result);
}

KepStartProc __cdecl KepTestStartCallback(void) {
    auto lock = Lock();
    return Host().start;
}

KepResumeProc __cdecl KepTestResumeCallback(void) {
    auto lock = Lock();
    return Host().resume;
}

KepEndProc __cdecl KepTestEndCallback(void) {
    auto lock = Lock();
    return Host().end;
}

KepExecuteProc __cdecl KepTestExecuteCallback(void) {
    auto lock = Lock();
    return Host().execute;
}

KepCompareProc __cdecl KepTestCompareCallback(void) {
    auto lock = Lock();
    return Host().compare;
}

int32_t __cdecl KepTestLogCount(void) {
    auto lock = Lock();
    return static_cast<int32_t>(Host().drawing.Log().size());
}

// Like snprintf: copies what fits, always terminated, and returns the full length.
int32_t __cdecl KepTestLogLine(int32_t i, char* buffer, int32_t size) {
    auto lock = Lock();
    const auto& log = Host().drawing.Log();
    if (i < 0 || static_cast<size_t>(i) >= log.size()) return -1;
    const std::string& line = log[static_cast<size_t>(i)];
    if (buffer && size > 0) {
        size_t copied = std::min(line.size(), static_cast<size_t>(size) - 1);
        std::memcpy(buffer, line.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<int32_t>(line.size());
}

void __cdecl KepTestClearLog(void) {
    auto lock = Lock();
    Host().drawing.ClearLog();
}

void __cdecl KepTestLogCalls(int32_t enabled) {
    auto lock = Lock();
    Host().drawing.LogCalls(enabled != 0);
}

int32_t __cdecl KepTestHoleRecord(int32_t holeId, HoleRecord* record) {
    auto lock = Lock();
    const HoleRecord* held = Host().drawing.FindHole(holeId);
    if (!held || !record) return -1;
    *record = *held;
    return 0;
}

int32_t __cdecl KepTestHoleStep(int32_t holeId, int32_t i, HoleStep* step) {
    auto lock = Lock();
    const HoleRecord* held = Host().drawing.FindHole(holeId);
    if (!held || !step || i < 0 || i >= held->stepCount) return -1;
    *step = held->steps[i];
    return 0;
}

int32_t __cdecl KepTestAmendCount(int32_t holeId) {
    auto lock = Lock();
    return Host().drawing.AmendCount(holeId);
}

int32_t __cdecl KepTestSelectedHoleIds(int32_t* ids, int32_t capacity) {
    auto lock = Lock();
    std::vector<int32_t> selected = Host().drawing.SelectedHoleIds();
    if (ids) {
        for (size_t i = 0; i < selected.size() && i < static_cast<size_t>(std::max(capacity, 0));
             ++i) {
            ids[i] = selected[i];
        }
    }
    return static_cast<int32_t>(selected.size());
}

void __cdecl KepTestAppendLog(const char* line) {
    auto lock = Lock();
    if (line) Host().drawing.AppendLog(line);
}

}  // extern "C"

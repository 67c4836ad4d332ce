#include "testhost/MessageBoxWatcher.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <future>

#include "testhost/TextUtf8.h"

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr int kMessageTextId = 0xFFFF;

// A window's stored text, read without sending it a message: the box's thread may be busy
// (and a timed-out read would look like an empty caption). Grows the buffer until it fits.
std::wstring WindowText(HWND window) {
    for (int size = 256;; size *= 4) {
        std::wstring text(static_cast<size_t>(size), L'\0');
        const int copied = InternalGetWindowText(window, text.data(), size);
        if (copied < size - 1 || size >= (1 << 20)) {
            text.resize(static_cast<size_t>(std::max(copied, 0)));
            return text;
        }
    }
}

bool IsDialogOfThisProcess(HWND window) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() && std::wstring_view(className) == L"#32770" &&
           IsWindowVisible(window);
}

// Presses the preferred button when the box has it, else the one a user would end it with:
// OK when there is one.
void Close(HWND box, int preferred) {
    const std::array kButtons = {preferred, IDOK,    IDYES,   IDCANCEL,
                                 IDNO,      IDRETRY, IDABORT, IDIGNORE};
    for (int id : kButtons) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button)) {
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
            return;
        }
    }
    PostMessageW(box, WM_CLOSE, 0, 0);
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

}  // namespace

// Wine sets up a thread's windowing (and loads the display driver for the first such thread)
// on the first window call, under the loader lock. Doing that here and letting the thread
// finish its first poll before the caller goes on keeps it from meeting a module load on
// the caller's thread, which holds the loader lock and deadlocked with it.
MessageBoxWatcher::MessageBoxWatcher(Callback onBox, std::vector<std::wstring> ignoredCaptions)
    : onBox_(std::move(onBox)), ignoredCaptions_(std::move(ignoredCaptions)) {
    GetDesktopWindow();
    std::promise<void> started;
    std::future<void> firstPoll = started.get_future();
    // The thread owns the promise: a first poll slower than the wait must not outlive it.
    thread_ = std::thread([this, started = std::move(started)]() mutable { Run(started); });
    firstPoll.wait_for(std::chrono::seconds(10));
}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

void MessageBoxWatcher::Run(std::promise<void>& started) {
    Poll();
    started.set_value();
    while (!stop_) {
        std::this_thread::sleep_for(kPollInterval);
        Poll();
    }
}

void MessageBoxWatcher::Poll() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));

    // A closed box's handle may come back for a later window.
    std::erase_if(handled_, [](void* box) { return !IsWindow(static_cast<HWND>(box)); });

    for (HWND window : windows) {
        if (!IsDialogOfThisProcess(window)) continue;
        HWND textControl = GetDlgItem(window, kMessageTextId);
        if (!textControl) continue;
        if (std::ranges::find(handled_, window) != handled_.end()) continue;
        std::wstring caption = WindowText(window);
        if (caption.empty()) continue;  // not set up yet: look again at the next poll
        if (std::ranges::find(ignoredCaptions_, caption) != ignoredCaptions_.end()) continue;

        SeenMessageBox box{Utf8FromWide(caption), Utf8FromWide(WindowText(textControl))};
        if (onBox_) onBox_(box);
        {
            std::lock_guard lock(mutex_);
            seen_.push_back(std::move(box));
        }
        handled_.push_back(window);
        Close(window, preferred_);
    }
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

size_t MessageBoxWatcher::Count() const {
    std::lock_guard lock(mutex_);
    return seen_.size();
}

bool MessageBoxWatcher::WaitForCount(size_t count, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Count() < count) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

// Finds the message boxes this process shows, records their caption and text, and closes
// them, so that a test or the test host never waits on one. A thread polls every 20 ms for
// visible top-level dialogs of this process that carry a message box's text control
// (id 0xFFFF) and are not one of the module's own dialogs.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
    std::string caption;  // UTF-8
    std::string text;     // UTF-8
};

class MessageBoxWatcher {
public:
    using Callback = std::function<void(const SeenMessageBox&)>;

    // onBox runs on the watcher's thread for each box before it is closed, while the thread
    // that shows the box still waits in it.
    explicit MessageBoxWatcher(Callback onBox = {}, std::vector<std::wstring> ignoredCaptions = {
                                                        L"Hole Diameter", L"Master Setting"});
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Boxes with this button are ended with it from now on; 0 for the usual choice.
    void PreferButton(int id) { preferred_ = id; }

    std::vector<SeenMessageBox> Seen() const;
    size_t Count() const;
    // Waits until at least count boxes were seen; false after the timeout.
    bool WaitForCount(size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    void Run(std::promise<void>& started);
    void Poll();

    Callback onBox_;
    std::vector<std::wstring> ignoredCaptions_;
    mutable std::mutex mutex_;
    std::vector<SeenMessageBox> seen_;
    std::vector<void*> handled_;  // boxes already recorded and told to close
    std::atomic<bool> stop_{false};
    std::atomic<int> preferred_{0};
    std::thread thread_;
};

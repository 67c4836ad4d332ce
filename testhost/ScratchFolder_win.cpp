#include "testhost/ScratchFolder.h"

#include <windows.h>

#include <atomic>
#include <string>

ScratchFolder::ScratchFolder(std::wstring_view prefix) {
    static std::atomic<unsigned> made{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    // The process id and a counter keep parallel tests and sessions apart; the tick count
    // keeps a reused process id away from a folder left by a crashed run.
    for (;;) {
        std::wstring name = std::wstring(prefix) + L"-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(made++) + L"-" +
                            std::to_wstring(GetTickCount64());
        std::filesystem::path candidate = base / name;
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

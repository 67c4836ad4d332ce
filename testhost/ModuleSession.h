// The module loaded as the host loads it: the stand-in host reset, Quillet.dll copied into a
// folder of its own (with a rule file, if given), loaded by its full path and started with
// Startup. The module is unloaded and its copy removed when the session ends, and the copy
// is removed also when the process ends otherwise (a crash, an exit inside the module, a
// kill): the session holds it open for deletion on close.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "host/KepLib.h"
#include "platform/Handles_win.h"

// The system's words for a Win32 error code: "File not found. (error 2)".
std::string DescribeError(DWORD error);

// Quillet.dll beside the running program.
std::filesystem::path DefaultModulePath();

struct ModuleSessionOptions {
    std::filesystem::path folder;  // where the module is copied to and loaded from
    std::filesystem::path module = DefaultModulePath();
    // Copied into the folder as Quillet.def, replacing one that is there.
    std::optional<std::filesystem::path> ruleFile;
    // Runs after the stand-in host was reset and before the module is loaded: load a
    // drawing, refuse the registration, make calls fail.
    std::function<void()> prepareHost;
    // Runs once the module is loaded, before its Startup: redirect its imports.
    std::function<void(HMODULE)> beforeStartup;
};

class ModuleSession {
public:
    // Throws std::runtime_error, naming the cause in words, when the module is not found, a
    // file cannot be copied, the
    // folder already holds another Quillet.dll (which the session would otherwise replace
    // and then delete), or the module cannot be loaded or has no Startup. Startup's result
    // is kept, not checked.
    explicit ModuleSession(const ModuleSessionOptions& options);
    // Unloads the module and waits until it is gone: a module may stay loaded after the unload
    // until a thread of its own has finished (the journal written behind a rewrite).
    ~ModuleSession();
    ModuleSession(const ModuleSession&) = delete;
    ModuleSession& operator=(const ModuleSession&) = delete;

    int32_t startupResult() const { return startupResult_; }
    HMODULE module() const { return module_.get(); }
    // The loaded copy.
    const std::filesystem::path& modulePath() const { return modulePath_; }
    const std::filesystem::path& folder() const { return folder_; }

    // The registered callbacks, run on the calling thread. Each throws std::logic_error
    // when the module registered no such callback.
    int32_t Start();
    int32_t Execute(int32_t eventCode);
    int32_t Pick(int32_t elementKind, int32_t elementNumber);
    void End();

private:
    std::filesystem::path folder_;
    std::filesystem::path modulePath_;
    UniqueFile moduleCopy_;  // declared before module_: unloaded first, then removed
    UniqueModule module_;
    int32_t startupResult_ = -1;
};

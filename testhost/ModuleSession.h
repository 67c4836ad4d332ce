// The module loaded as the host loads it: the stand-in host reset, Quillet.dll copied into a
// folder of its own (with a rule file, if given), loaded by its full path and started with
// Startup. The module is unloaded and its copy removed when the session ends.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "host/KepLib.h"

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
};

class ModuleSession {
public:
    // Throws std::runtime_error when a file cannot be copied, the module cannot be loaded or
    // has no Startup. Startup's result is kept, not checked.
    explicit ModuleSession(const ModuleSessionOptions& options);
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
    struct Unload {
        void operator()(HMODULE module) const { FreeLibrary(module); }
    };
    // Removes the file it names when it goes, also when the constructor throws.
    class CopiedFile {
    public:
        CopiedFile() = default;
        CopiedFile(const CopiedFile&) = delete;
        CopiedFile& operator=(const CopiedFile&) = delete;
        ~CopiedFile();
        void Own(const std::filesystem::path& path) { path_ = path; }

    private:
        std::filesystem::path path_;
    };

    std::filesystem::path folder_;
    std::filesystem::path modulePath_;
    CopiedFile moduleCopy_;  // declared before module_: unloaded first, then removed
    std::unique_ptr<std::remove_pointer_t<HMODULE>, Unload> module_;
    int32_t startupResult_ = -1;
};

// The module's application object: one per module,
// constructed with the module's static objects. The module's start-up (DllMain) hands it
// the module's HINSTANCE and runs OnModuleLoaded once.
#pragma once

#include <windows.h>

class WinApp {
public:
    WinApp();
    virtual ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    virtual BOOL OnModuleLoaded();

    HINSTANCE instance() const { return instance_; }

    // For DllMain on DLL_PROCESS_ATTACH. Returns FALSE, failing the load, when OnModuleLoaded
    // does.
    static BOOL StartModule(HINSTANCE instance);

private:
    HINSTANCE instance_ = nullptr;
    bool started_ = false;
};

// The module's own HINSTANCE, to take dialog templates and other resources from the module
// rather than from the host. Null before the module start-up ran.
HINSTANCE ModuleInstance();

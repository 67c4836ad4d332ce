// The module's application object: one per module, constructed with the module's static
// objects. The module's start-up (DllMain) hands it the module's HINSTANCE.
#pragma once

#include <windows.h>

class WinApp {
public:
    WinApp();
    ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    HINSTANCE instance() const { return instance_; }

    // For DllMain on DLL_PROCESS_ATTACH.
    static void StartModule(HINSTANCE instance);

private:
    HINSTANCE instance_ = nullptr;
};

// The module's own HINSTANCE, to take dialog templates and other resources from the module
// rather than from the host. Null before the module start-up ran.
HINSTANCE ModuleInstance();

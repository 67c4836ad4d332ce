#include "entry/ModuleApp_win.h"

// The one application object of the module, constructed when the module is loaded.
ModuleApp theModuleApp;

// The module's start-up must not fail on account of the base class: the module has nothing
// of its own to set up here.
BOOL ModuleApp::OnModuleLoaded() {
    WinApp::OnModuleLoaded();
    return TRUE;
}

namespace __gnu_cxx {
// The C++ runtime's own clean-up (libstdc++): frees the emergency pool for exceptions,
// some 70 KB of the C runtime's heap that the runtime allocates at every load of the module
// and never frees itself.
void __freeres();
}  // namespace __gnu_cxx

// Runs after the static objects above are constructed and before anything the host calls;
// on unloading, before their destructors.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        return WinApp::StartModule(instance);
    }
    // FreeLibrary (not the end of the process, which frees everything anyway). No exception
    // is in flight while the module is unloaded, so the pool is no longer needed.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
    return TRUE;
}

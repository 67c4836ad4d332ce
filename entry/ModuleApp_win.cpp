#include "framework/WinApp_win.h"

// The one application object of the module, constructed when the module is loaded.
WinApp theModuleApp;

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
        WinApp::StartModule(instance);
        return TRUE;
    }
    // FreeLibrary (not the end of the process, which frees everything anyway). No exception
    // is in flight while the module is unloaded, so the pool is no longer needed.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
    return TRUE;
}

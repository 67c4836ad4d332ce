#include "entry/QuilletApp_win.h"

// The one application object of the module, constructed when the module is loaded.
CQuilletApp theApp;

// The module's start-up must not fail on account of the base class: the module has nothing
// of its own to set up here.
BOOL CQuilletApp::InitInstance() {
    WinApp::InitInstance();
    return TRUE;
}

// Runs after the static objects above are constructed and before anything the host calls.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    DisableThreadLibraryCalls(instance);
    return WinApp::StartModule(instance);
}

#include "platform/WinApp.h"

namespace {

// The application object of this module. Like the GUI library's, it registers itself on
// construction so that the start-up code and ModuleInstance can find it.
WinApp* currentApp = nullptr;

}  // namespace

WinApp::WinApp() {
    currentApp = this;
}

WinApp::~WinApp() {
    if (currentApp == this) currentApp = nullptr;
}

BOOL WinApp::OnModuleLoaded() {
    return TRUE;
}

BOOL WinApp::StartModule(HINSTANCE instance) {
    if (currentApp == nullptr) return TRUE;
    currentApp->instance_ = instance;
    if (currentApp->started_) return TRUE;
    currentApp->started_ = true;
    return currentApp->OnModuleLoaded();
}

HINSTANCE ModuleInstance() {
    return currentApp != nullptr ? currentApp->instance() : nullptr;
}

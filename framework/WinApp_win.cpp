#include "framework/WinApp_win.h"

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

void WinApp::StartModule(HINSTANCE instance) {
    if (currentApp != nullptr) currentApp->instance_ = instance;
}

HINSTANCE ModuleInstance() {
    return currentApp != nullptr ? currentApp->instance() : nullptr;
}

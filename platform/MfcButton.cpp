#include "platform/MfcButton.h"

namespace {

// The system's "Button" class as this process sees it, looked up once: the superclass is
// registered from it and forwards every message to its window procedure.
const WNDCLASSEXW& ButtonClass() {
    static const WNDCLASSEXW buttonClass = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        GetClassInfoExW(nullptr, L"Button", &wc);
        return wc;
    }();
    return buttonClass;
}

LRESULT CALLBACK MfcButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(ButtonClass().lpfnWndProc, window, message, wParam, lParam);
}

}  // namespace

MfcButtonClass::MfcButtonClass(HINSTANCE module) : module_(module) {
    if (module_ == nullptr || ButtonClass().lpfnWndProc == nullptr) return;
    WNDCLASSEXW wc = ButtonClass();
    wc.lpfnWndProc = MfcButtonProc;
    wc.hInstance = module_;
    wc.lpszClassName = kMfcButtonClassName;
    // A host with the common-controls 6 manifest hands out a global "Button"; the module's
    // class must stay local so that it never clashes with a host class of the same name.
    wc.style &= ~CS_GLOBALCLASS;
    owned_ = RegisterClassExW(&wc) != 0;
    available_ = owned_ || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

MfcButtonClass::~MfcButtonClass() {
    if (owned_) UnregisterClassW(kMfcButtonClassName, module_);
}

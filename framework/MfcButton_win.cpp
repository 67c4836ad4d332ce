#include "framework/MfcButton_win.h"

// The copy keeps the "Button" class's own window procedure, extra bytes and styles, so no
// procedure of the module stands between the buttons and the common controls, and nothing
// of the lookup outlives the registration. A class registered once from the system's
// "Button" would stay with the controls that were current at that moment.
MfcButtonClass::MfcButtonClass(HINSTANCE module) : module_(module) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (module_ == nullptr || !GetClassInfoExW(nullptr, L"Button", &wc)) return;
    wc.hInstance = module_;
    wc.lpszClassName = kMfcButtonClassName;
    // Version 6's "Button" is global; the module's class must stay local so that it never
    // clashes with a host class of the same name.
    wc.style &= ~CS_GLOBALCLASS;
    owned_ = RegisterClassExW(&wc) != 0;
    available_ = owned_ || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

MfcButtonClass::~MfcButtonClass() {
    if (owned_) UnregisterClassW(kMfcButtonClassName, module_);
}

#include "framework/WindowDpi_win.h"

#include "platform/Handles_win.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Systems before Windows 10 1607 have no GetDpiForWindow, so it is looked up at run time:
// the module must load there too.
GetDpiForWindowFunction FindGetDpiForWindow() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return nullptr;
    return reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
}

int DeviceContextDpi(HWND window) {
    const WindowDc dc(window);
    return dc.get() != nullptr ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
}

}  // namespace

int WindowDpi(HWND window) {
    static const GetDpiForWindowFunction getDpiForWindow = FindGetDpiForWindow();
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    return DeviceContextDpi(window);
}

// The display density (dots per inch) at which a window is drawn.
#pragma once

#include <windows.h>

// The window's own DPI where the system keeps one per window, else the DPI of the window's
// device context; 0 when neither can be read.
int WindowDpi(HWND window);

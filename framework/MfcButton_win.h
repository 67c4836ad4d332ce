// The window class "MfcButton" that the module's dialog templates name for their enhanced
// buttons: a local copy of "Button" under that name, so the buttons behave and draw as push
// buttons of the common controls in use.
#pragma once

#include <windows.h>

inline constexpr wchar_t kMfcButtonClassName[] = L"MfcButton";

// Registers the class for the module while the object lives, from "Button" as the calling
// thread resolves it at construction: version 6's while a manifest asking for it is active.
// A class that this module already registered (by an enclosing object) stays with its owner.
class MfcButtonClass {
public:
    explicit MfcButtonClass(HINSTANCE module);
    ~MfcButtonClass();
    MfcButtonClass(const MfcButtonClass&) = delete;
    MfcButtonClass& operator=(const MfcButtonClass&) = delete;

    bool available() const { return available_; }

private:
    HINSTANCE module_;
    bool owned_ = false;
    bool available_ = false;
};

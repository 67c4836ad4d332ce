// The module's resource context: while the object lives, dialogs are built from the
// module's own templates, with the window classes those templates name.
#pragma once

#include <windows.h>

#include "platform/MfcButton.h"

class ResourceContext {
public:
    ResourceContext();
    ResourceContext(const ResourceContext&) = delete;
    ResourceContext& operator=(const ResourceContext&) = delete;

    // The module whose resources are used; null before the module's start-up.
    HINSTANCE instance() const { return instance_; }

private:
    HINSTANCE instance_;
    MfcButtonClass buttonClass_;
};

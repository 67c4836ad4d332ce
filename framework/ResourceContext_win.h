// The module's resource context for one modal run: while the object lives, dialogs are built
// from the module's own templates, with the window classes those templates name, in the
// common controls (version 6) that the module's own manifest asks for, whatever the host's.
// Objects nest on one thread and must end in the reverse order of their construction.
#pragma once

#include <windows.h>

#include "framework/MfcButton_win.h"
#include "platform/Handles_win.h"

class ResourceContext {
public:
    ResourceContext();
    ResourceContext(const ResourceContext&) = delete;
    ResourceContext& operator=(const ResourceContext&) = delete;

    // The module whose resources are used; null before the module's start-up.
    HINSTANCE instance() const { return instance_; }

private:
    HINSTANCE instance_;
    UniqueActCtx manifest_;
    ActCtxActivation activation_;
    MfcButtonClass buttonClass_;
};

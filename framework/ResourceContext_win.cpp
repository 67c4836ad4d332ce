#include "framework/ResourceContext_win.h"

#include <commctrl.h>

#include "framework/WinApp_win.h"

namespace {

// The module's manifest (resource 2) as an activation context. Without it (a module built
// without the manifest) the dialogs use whatever controls the host has.
HANDLE CreateModuleManifestContext(HINSTANCE module) {
    if (module == nullptr) return INVALID_HANDLE_VALUE;
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = module;
    context.lpResourceName = ISOLATIONAWARE_MANIFEST_RESOURCE_ID;
    return CreateActCtxW(&context);
}

ULONG_PTR Activate(const UniqueActCtx& context) {
    ULONG_PTR cookie = 0;
    if (context.valid() && !ActivateActCtx(context.get(), &cookie)) cookie = 0;
    return cookie;
}

// The common controls must be registered before a template that names one is created;
// loading comctl32 alone does not guarantee it. Called with the manifest active, this
// registers version 6's classes.
HINSTANCE WithCommonControls(HINSTANCE module) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    return module;
}

}  // namespace

// The members are built in this order: the "MfcButton" superclass must be registered while
// the manifest is active, so that its base "Button" is version 6's.
ResourceContext::ResourceContext()
    : instance_(ModuleInstance()),
      manifest_(CreateModuleManifestContext(instance_)),
      activation_(Activate(manifest_)),
      buttonClass_(WithCommonControls(instance_)) {}

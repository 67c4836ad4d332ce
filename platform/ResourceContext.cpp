#include "platform/ResourceContext.h"

#include <commctrl.h>

#include "platform/WinApp.h"

namespace {

// The common controls must be registered before a template that names one is created;
// loading comctl32 alone does not guarantee it.
HINSTANCE ModuleWithCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    return ModuleInstance();
}

}  // namespace

ResourceContext::ResourceContext()
    : instance_(ModuleWithCommonControls()), buttonClass_(instance_) {}

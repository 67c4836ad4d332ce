// The module's application object.
#pragma once

#include "platform/WinApp.h"

class ModuleApp final : public WinApp {
public:
    BOOL OnModuleLoaded() override;
};

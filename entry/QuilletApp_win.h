// The module's application object.
#pragma once

#include "platform/WinApp.h"

class CQuilletApp final : public WinApp {
public:
    BOOL InitInstance() override;
};

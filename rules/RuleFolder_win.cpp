#include "rules/RuleFolder_win.h"

#include "platform/FilePaths.h"
#include "platform/WideText.h"
#include "settings/Registry_win.h"

RuleLocation RuleLocationOfModule(const void* addressInModule) {
    return ChooseRuleLocation(ReadSettingValues(kRuleFolderSetting),
                              ToU16(FolderOf(ModuleFileName(ModuleContaining(addressInModule)))));
}

// The rule file writer on Windows is the module's own.
#include "rules/RuleFile.h"
#include "workbench/RuleStore.h"

StoreOutcome StoreRuleFile(const std::filesystem::path& path, const RuleTable& table) {
    if (!SaveRuleFileTo(path.wstring(), table)) {
        const std::u8string name = path.u8string();
        return {false, false,
                "파일을 저장할 수 없습니다: " + std::string(name.begin(), name.end())};
    }
    return {true, false, {}};
}

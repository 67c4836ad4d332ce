#include "entry/RuleListCommand.h"

#include "dialogs/QuilletDlg.h"
#include "dialogs/RuleListText.h"
#include "entry/RuleFileReport.h"
#include "rules/RuleTable.h"

void RunRuleListCommand() {
    RuleTable& rules = TheRuleTable();
    const int32_t countAtOpen = rules.count();
    QuilletDlg dialog(rules);
    const auto result = static_cast<int>(dialog.DoModal());
    if (ShouldSaveRuleFile(result, dialog.ConfirmMark, countAtOpen, rules.count())) {
        ReportRuleFileSave(dialog.SaveRuleFile());
    }
}

#include "entry/RuleListCommand.h"

#include "dialogs/QuilletDlg.h"
#include "dialogs/RuleListText.h"
#include "entry/RuleFileReport.h"
#include "rules/RuleTable.h"

namespace {

// The host may send event 7 again from its own message handling, which runs inside the
// dialog's modal loop (or the editor's) on the same thread. A second list over the same table
// would leave the first one showing rows that no longer match the table, so whether one is
// open is asked of the thread's windows themselves.
bool RuleListIsOpen() {
    bool open = false;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            if (dynamic_cast<QuilletDlg*>(ModalDialog::FromWindow(window)) == nullptr) return TRUE;
            *reinterpret_cast<bool*>(found) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&open));
    return open;
}

}  // namespace

void RunRuleListCommand() {
    if (RuleListIsOpen()) return;
    RuleTable& rules = TheRuleTable();
    const int32_t countAtOpen = rules.count();
    QuilletDlg dialog(rules);
    const auto result = static_cast<int>(dialog.DoModal());
    if (ShouldSaveRuleFile(result, dialog.ConfirmMark, countAtOpen, rules.count())) {
        ReportRuleFileSave(dialog.SaveRuleFile());
    }
}

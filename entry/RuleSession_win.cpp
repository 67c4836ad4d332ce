#include "entry/RuleSession.h"

#include <windows.h>

#include "dialogs/QuilletDlg.h"
#include "dialogs/RuleListText.h"
#include "entry/RuleFileReport.h"
#include "platform/FilePaths.h"
#include "platform/RegistrySetting.h"
#include "platform/WideText.h"
#include "rules/RuleStore.h"

namespace {

// Any object of the module: its address names the module whose folder holds the rule file
// when the registry names no other.
const char moduleAnchor = 0;

// Worked out afresh at each start of the command, so that a changed setting takes effect
// without restarting the host.
RuleLocation CurrentRuleLocation() {
    const RuleFolderValues values{RuleFolderValue(HKEY_LOCAL_MACHINE),
                                  RuleFolderValue(HKEY_CURRENT_USER)};
    return ChooseRuleLocation(values,
                              ToU16(FolderOf(ModuleFileName(ModuleContaining(&moduleAnchor)))));
}

// The host may send event 7 again from its own message handling, which runs inside the
// list's modal loop (or the editor's) on the same thread. A second list over the same table
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

void RuleSession::Load() {
    location_ = CurrentRuleLocation();
    ReportRuleFileLoad(RuleStore(files_, location_.file).Load(table_));
}

void RuleSession::EditInRuleList() {
    if (RuleListIsOpen()) return;
    const int32_t countAtOpen = table_.count();
    QuilletDlg list(table_);
    if (list.DoModal() != IDOK || !ConfirmedListSaves(countAtOpen, table_.count())) return;
    ReportRuleFileSave(RuleStore(files_, location_.file).Save(table_));
}

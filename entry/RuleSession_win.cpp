#include "entry/RuleSession.h"

#include <windows.h>

#include "dialogs/QuilletDlg.h"
#include "dialogs/RuleListText.h"
#include "entry/RuleFileReport.h"
#include "platform/FilePaths.h"
#include "platform/WideText.h"
#include "rules/RuleStore.h"

namespace {

constexpr wchar_t kRuleFileName[] = L"Quillet.def";

// Any object of the module: its address names the module whose folder holds the rule file.
const char moduleAnchor = 0;

// "<folder of the module>\Quillet.def", worked out afresh each time the file is used.
FilePath RuleFileBesideModule() {
    return ToU16(FolderOf(ModuleFileName(ModuleContaining(&moduleAnchor))) + L"\\" + kRuleFileName);
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
    ReportRuleFileLoad(RuleStore(files_, RuleFileBesideModule()).Load(table_));
}

void RuleSession::EditInRuleList() {
    if (RuleListIsOpen()) return;
    const int32_t countAtOpen = table_.count();
    QuilletDlg list(table_);
    if (list.DoModal() != IDOK || !ConfirmedListSaves(countAtOpen, table_.count())) return;
    ReportRuleFileSave(RuleStore(files_, RuleFileBesideModule()).Save(table_));
}

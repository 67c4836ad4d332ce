#include "entry/RuleSession.h"

#include <windows.h>

#include "dialogs/RuleListDialog.h"
#include "dialogs/RuleListText.h"
#include "entry/RuleFileReport.h"
#include "platform/FilePaths.h"
#include "platform/RegistrySetting.h"
#include "platform/WideText.h"
#include "rules/LegacyCodePage.h"
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
            if (dynamic_cast<RuleListDialog*>(ModalDialog::FromWindow(window)) == nullptr)
                return TRUE;
            *reinterpret_cast<bool*>(found) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&open));
    return open;
}

std::optional<FileContents> ContentsAtLoad(RuleFileLoad& load) {
    if (load.succeeded()) return FileContents{true, std::move(load.bytes)};
    if (load.status.fault == FileFault::NotFound) return FileContents{};
    return std::nullopt;
}

}  // namespace

void RuleSession::Load() {
    location_ = CurrentRuleLocation();
    RuleFileLoad load = RuleStore(files_, location_.file).Load(table_, SystemCodePageDecoder());
    if (load.succeeded() && location_.configured()) {
        if (const std::wstring copy = LocalCopyPath(); !copy.empty()) {
            WriteFileAtomically(files_, ToU16(copy), load.bytes);
        }
    }
    const bool outOfReach = !load.succeeded() && location_.configured() &&
                            files_.KindOf(location_.folder) != FileKind::Folder;
    if (outOfReach && LoadLocalCopy()) return;
    ReportRuleFileLoad(load);
    loaded_ = ContentsAtLoad(load);
}

// One copy per configured rule file, so that a changed setting never loads another
// folder's rules.
std::wstring RuleSession::LocalCopyPath() const {
    const std::wstring folder = LocalAppDataFolder(L"Quillet");
    if (folder.empty()) return {};
    return folder + L"\\" + ToWide(LocalCopyNameFor(location_.file));
}

bool RuleSession::LoadLocalCopy() {
    const std::wstring copy = LocalCopyPath();
    if (copy.empty() || files_.KindOf(ToU16(copy)) != FileKind::File) return false;
    RuleFileLoad load = RuleStore(files_, ToU16(copy)).Load(table_, SystemCodePageDecoder());
    if (!load.succeeded()) return false;
    ReportLocalCopyInUse(location_.folder, LastWriteLocalTime(copy));
    // The folder's file, once back, is taken to be what the copy holds.
    loaded_ = FileContents{true, std::move(load.bytes)};
    return true;
}

void RuleSession::EditInRuleList() {
    if (RuleListIsOpen()) return;
    const int32_t countAtOpen = table_.count();
    RuleListDialog list(table_);
    if (list.DoModal() != IDOK || !ConfirmedListSaves(countAtOpen, table_.count())) return;
    SaveConfirmed();
}

// Each answer of yes agrees to replace exactly the file the question was about: a file
// changed once more meanwhile is asked about again.
void RuleSession::SaveConfirmed() {
    const RuleStore store(files_, location_.file);
    SaveOptions options{loaded_ ? &*loaded_ : nullptr};
    FileContents agreed;
    for (;;) {
        FileSave save = store.Save(table_, options);
        if (save.failedStep != SaveStep::CheckFound) {
            ReportRuleFileSave(save);
            if (save.succeeded()) loaded_ = FileContents{true, EncodeRuleFile(table_)};
            return;
        }
        if (!AskToReplaceChangedRuleFile(save.path, LastWriteLocalTime(ToWide(save.path)))) {
            return;
        }
        agreed = std::move(save.found);
        options = {&agreed, true};
    }
}

#include "dialogs/ModuleMessages_win.h"

#include "framework/MessageBoxes_win.h"
#include "platform/WideText_win.h"

namespace {

constexpr wchar_t kCaption[] = L"Quillet";

}  // namespace

std::wstring DescribeWin32Error(DWORD error) {
    return ToWide(SystemCauseText(error));
}

void ReportFileError(FileAction action, std::wstring_view path, DWORD error) {
    ShowModuleMessage(ToWide(FileFailureMessage(action, ToU16(path), error)), MB_ICONEXCLAMATION);
}

void ShowModuleMessage(std::wstring_view text, UINT icon) {
    ShowMessageBox(kCaption, text, icon);
}

bool AskModuleQuestion(std::wstring_view text) {
    return AskYesOrNo(kCaption, text);
}

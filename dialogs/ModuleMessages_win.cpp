#include "dialogs/ModuleMessages.h"

#include "platform/MessageBoxes.h"
#include "platform/SystemErrorText.h"
#include "platform/WideText.h"

namespace {

constexpr wchar_t kCaption[] = L"Quillet";

}  // namespace

std::wstring DescribeWin32Error(DWORD error) {
    std::wstring text = ToWide(SystemErrorText(error));
    if (text.empty()) text = L"알 수 없는 오류";
    return text + L" (오류 코드 " + std::to_wstring(error) + L")";
}

void ReportFileError(FileAction action, std::wstring_view path, DWORD error) {
    const wchar_t* lead =
        action == FileAction::Open ? L"파일을 열 수 없습니다: " : L"파일을 저장할 수 없습니다: ";
    const std::wstring text = lead + std::wstring(path) + L"\r\n" + DescribeWin32Error(error);
    ShowModuleMessage(text, MB_ICONEXCLAMATION);
}

void ShowModuleMessage(std::wstring_view text, UINT icon) {
    ShowMessageBox(kCaption, text, icon);
}

bool AskModuleQuestion(std::wstring_view text) {
    return AskYesOrNo(kCaption, text);
}

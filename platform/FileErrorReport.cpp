#include "platform/FileErrorReport.h"

#include <memory>

namespace {

constexpr wchar_t kCaption[] = L"Quillet";

struct LocalFreeDeleter {
    void operator()(wchar_t* text) const { LocalFree(text); }
};

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owner(buffer);
    if (length == 0 || buffer == nullptr) return L"알 수 없는 오류";
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::wstring DescribeWin32Error(DWORD error) {
    return SystemErrorText(error) + L" (오류 코드 " + std::to_wstring(error) + L")";
}

void ReportFileError(FileAction action, std::wstring_view path, DWORD error) {
    const wchar_t* lead =
        action == FileAction::Open ? L"파일을 열 수 없습니다: " : L"파일을 저장할 수 없습니다: ";
    const std::wstring text = lead + std::wstring(path) + L"\r\n" + DescribeWin32Error(error);
    ShowModuleMessage(text, MB_ICONEXCLAMATION);
}

void ShowModuleMessage(std::wstring_view text, UINT icon) {
    const std::wstring owned(text);
    MessageBoxW(GetActiveWindow(), owned.c_str(), kCaption, MB_OK | icon);
}

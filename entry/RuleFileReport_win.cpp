#include "entry/RuleFileReport.h"

#include <cwchar>
#include <string>
#include <string_view>

#include "dialogs/ModuleMessages.h"
#include "dialogs/RuleFileNotice.h"
#include "platform/WideText.h"

namespace {

std::wstring FileNameOf(std::u16string_view path) {
    const size_t backslash = path.rfind(u'\\');
    return ToWide(backslash == std::u16string_view::npos ? path : path.substr(backslash + 1));
}

// One message for everything read but not applied; nothing when all of it is.
void ReportLinesNotApplied(const FilePath& path, const RuleFileReadResult& lines) {
    const std::u16string notice =
        RuleFileLoadNotice(path, lines, ToU16(FileNameOf(path)) + u".<날짜-시각>.bak");
    if (!notice.empty()) ShowModuleMessage(ToWide(notice), MB_ICONWARNING);
}

std::wstring TimeText(const std::optional<SYSTEMTIME>& time) {
    if (!time) return L"(알 수 없음)";
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", time->wYear, time->wMonth, time->wDay,
             time->wHour, time->wMinute, time->wSecond);
    return text;
}

}  // namespace

void ReportRuleFileLoad(const RuleFileLoad& load) {
    if (!load.succeeded()) {
        ReportFileError(FileAction::Open, ToWide(load.path), load.status.code);
    } else {
        ReportLinesNotApplied(load.path, load.lines);
    }
}

void ReportRuleFileSave(const FileSave& save) {
    if (!save.succeeded())
        ReportFileError(FileAction::Save, ToWide(save.failedPath), save.status.code);
}

bool AskToReplaceChangedRuleFile(const FilePath& path, const std::optional<SYSTEMTIME>& changed) {
    const std::wstring name = FileNameOf(path);
    return AskModuleQuestion(
        L"규칙 파일을 읽은 뒤 다른 곳에서 파일이 바뀌었습니다: " + ToWide(path) +
        L"\r\n바뀐 시각: " + TimeText(changed) +
        L"\r\n\r\n지금 규칙으로 바꾸시겠습니까?\r\n예: 바뀐 파일은 \"" + name +
        L".bak\"에 남고, 지금 규칙에 없는 규칙이 있으면 \"" + name +
        L".<날짜-시각>.bak\"에 영구히 보관됩니다.\r\n아니요: 저장하지 않습니다. 고친 규칙은 "
        L"다음에 명령을 시작할 때까지 남아 있습니다.");
}

void ReportLocalCopyInUse(const std::u16string& folder, const std::optional<SYSTEMTIME>& copied) {
    ShowModuleMessage(L"규칙 폴더에 연결할 수 없습니다: " + ToWide(folder) +
                          L"\r\n이 컴퓨터에 보관한 사본(" + TimeText(copied) +
                          L"에 읽은 규칙)을 사용합니다.\r\n폴더에 다시 연결될 때까지 규칙을 "
                          L"저장할 수 없습니다.",
                      MB_ICONWARNING);
}

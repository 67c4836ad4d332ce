#include "entry/RuleFileReport.h"

#include <string>
#include <string_view>

#include "platform/FileErrorReport.h"
#include "platform/WideText.h"

namespace {

std::wstring FileNameOf(std::u16string_view path) {
    const size_t backslash = path.rfind(u'\\');
    return ToWide(backslash == std::u16string_view::npos ? path : path.substr(backslash + 1));
}

void ReportIgnoredLines(const FilePath& path, int32_t ignoredLines) {
    const std::wstring capacity = std::to_wstring(RuleTable::kCapacity);
    ShowModuleMessage(L"규칙 파일의 규칙이 " + capacity + L"개를 넘습니다: " + ToWide(path) +
                          L"\r\n처음 " + capacity + L"개만 읽고 나머지 " +
                          std::to_wstring(ignoredLines) + L"줄은 무시하였습니다." +
                          L"\r\n규칙을 저장하면 지금 파일 전체가 \"" + FileNameOf(path) +
                          L".<날짜-시각>.bak\"에 그대로, 영구히 보관됩니다.",
                      MB_ICONWARNING);
}

}  // namespace

void ReportRuleFileLoad(const RuleFileLoad& load) {
    if (!load.succeeded()) {
        ReportFileError(FileAction::Open, ToWide(load.path), load.status.code);
    } else if (load.lines.ignoredLines > 0) {
        ReportIgnoredLines(load.path, load.lines.ignoredLines);
    }
}

void ReportRuleFileSave(const FileSave& save) {
    if (!save.succeeded())
        ReportFileError(FileAction::Save, ToWide(save.failedPath), save.status.code);
}

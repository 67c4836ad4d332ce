#include "entry/RuleFileReport.h"

#include <string>
#include <string_view>

#include "platform/FileErrorReport.h"

namespace {

std::wstring FileNameOf(std::wstring_view path) {
    const size_t backslash = path.rfind(L'\\');
    return std::wstring(backslash == std::wstring_view::npos ? path : path.substr(backslash + 1));
}

void ReportIgnoredLines(const std::wstring& path, int32_t ignoredLines) {
    const std::wstring capacity = std::to_wstring(RuleTable::kCapacity);
    ShowModuleMessage(L"규칙 파일의 규칙이 " + capacity + L"개를 넘습니다: " + path + L"\r\n처음 " +
                          capacity + L"개만 읽고 나머지 " + std::to_wstring(ignoredLines) +
                          L"줄은 무시하였습니다." + L"\r\n규칙을 저장하면 지금 파일 전체가 \"" +
                          FileNameOf(BackupPathOf(path)) + L"\"에 그대로 보관됩니다.",
                      MB_ICONWARNING);
}

}  // namespace

void ReportRuleFileLoad(const RuleFileLoadResult& load) {
    if (!load.succeeded()) {
        ReportFileError(FileAction::Open, load.path, load.error);
    } else if (load.lines.ignoredLines > 0) {
        ReportIgnoredLines(load.path, load.lines.ignoredLines);
    }
}

void ReportRuleFileSave(const RuleFileSaveResult& save) {
    if (!save.succeeded()) ReportFileError(FileAction::Save, save.path, save.error);
}

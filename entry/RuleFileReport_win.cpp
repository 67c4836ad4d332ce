#include "entry/RuleFileReport.h"

#include <string>
#include <string_view>

#include "dialogs/RuleFileNotice.h"
#include "platform/FileErrorReport.h"
#include "platform/WideText.h"

namespace {

std::wstring FileNameOf(std::wstring_view path) {
    const size_t backslash = path.rfind(L'\\');
    return std::wstring(backslash == std::wstring_view::npos ? path : path.substr(backslash + 1));
}

// One message for everything read but not applied; nothing when all of it is.
void ReportLinesNotApplied(const std::wstring& path, const RuleFileReadResult& lines) {
    const std::u16string notice =
        RuleFileLoadNotice(ToU16(path), lines, ToU16(FileNameOf(BackupPathOf(path))));
    if (!notice.empty()) ShowModuleMessage(ToWide(notice), MB_ICONWARNING);
}

}  // namespace

void ReportRuleFileLoad(const RuleFileLoadResult& load) {
    if (!load.succeeded()) {
        ReportFileError(FileAction::Open, load.path, load.error);
    } else {
        ReportLinesNotApplied(load.path, load.lines);
    }
}

void ReportRuleFileSave(const RuleFileSaveResult& save) {
    if (!save.succeeded()) ReportFileError(FileAction::Save, save.path, save.error);
}

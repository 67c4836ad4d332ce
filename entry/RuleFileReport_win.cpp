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

bool AskToReplaceChangedRuleFile(const FilePath& path, const std::optional<SYSTEMTIME>& changed,
                                 bool unreadableAtStart) {
    const std::wstring name = FileNameOf(path);
    const std::wstring what =
        unreadableAtStart ? L"명령을 시작할 때 규칙 파일을 읽을 수 없었습니다: " + ToWide(path) +
                                L"\r\n그래서 지금 규칙에는 이 파일의 규칙이 없습니다.\r\n파일의 "
                                L"마지막 수정 시각: "
                          : L"규칙 파일을 읽은 뒤 다른 곳에서 파일이 바뀌었습니다: " +
                                ToWide(path) + L"\r\n바뀐 시각: ";
    const std::wstring kept =
        unreadableAtStart ? L".bak\"에 남고, \"" + name + L".<날짜-시각>.bak\"에 영구히 보관됩니다."
                          : L".bak\"에 남고, 지금 규칙에 없는 규칙이 있으면 \"" + name +
                                L".<날짜-시각>.bak\"에 영구히 보관됩니다.";
    return AskModuleQuestion(what + TimeText(changed) +
                             L"\r\n\r\n지금 규칙으로 바꾸시겠습니까?\r\n예: 지금 파일은 \"" + name +
                             kept +
                             L"\r\n아니요: 저장하지 않습니다. 고친 규칙은 다음에 명령을 시작할 "
                             L"때까지 남아 있습니다.");
}

namespace {

// "2026-03-04 05:06:07에 폴더에서 읽은 규칙" or "...에 이 컴퓨터에서 저장한 규칙".
std::wstring CopyText(const CopyInUse& copy) {
    return TimeText(copy.time) + (copy.origin == CopyOrigin::Saved ? L"에 이 컴퓨터에서 저장한 규칙"
                                                                   : L"에 폴더에서 읽은 규칙");
}

}  // namespace

void ReportLocalCopyInUse(const std::u16string& folder, const CopyInUse& copy) {
    ShowModuleMessage(L"규칙 폴더에 연결할 수 없습니다: " + ToWide(folder) +
                          L"\r\n이 컴퓨터에 보관한 사본(" + CopyText(copy) +
                          L")을 사용합니다.\r\n폴더에 다시 연결될 때까지 규칙을 저장할 수 "
                          L"없습니다.",
                      MB_ICONWARNING);
}

void ReportNoRuleFileInFolder(const RuleLocation& location) {
    ShowModuleMessage(L"규칙 폴더에 규칙 파일이 없습니다: " + ToWide(location.folder) +
                          L"\r\n아직 적용할 규칙이 없습니다.\r\n규칙 파일을 시작하려면 지금 "
                          L"쓰던 Quillet.def를 이 폴더에 복사하거나, 규칙 목록에서 규칙을 "
                          L"추가하고 확인을 누르십시오. (설정: " +
                          ToWide(RuleFolderSettingName(location.source)) + L")",
                      MB_ICONWARNING);
}

void ReportUnusableRuleFolder(const RuleLocation& location, const std::optional<CopyInUse>& copy) {
    const std::wstring rules =
        copy ? L"이 컴퓨터에 보관한 마지막 사본(" + CopyText(*copy) + L")을 사용합니다."
             : L"이 컴퓨터에 보관한 사본이 없어 규칙 없이 시작합니다.";
    ShowModuleMessage(L"규칙 폴더 설정을 쓸 수 없습니다.\r\n" +
                          ToWide(RuleFolderFaultText(location)) +
                          L"\r\n\r\n규칙 폴더에 연결할 수 없을 때처럼 " + rules +
                          L"\r\n설정을 고칠 때까지 규칙을 저장할 수 없습니다.",
                      MB_ICONWARNING);
}

void ReportNoFolderToSaveTo(const RuleLocation& location) {
    ShowModuleMessage(L"규칙 폴더 설정을 쓸 수 없어 규칙을 저장하지 않았습니다.\r\n" +
                          ToWide(RuleFolderFaultText(location)) +
                          L"\r\n고친 규칙은 다음에 명령을 시작할 때까지 남아 있습니다.",
                      MB_ICONWARNING);
}

namespace {

constexpr size_t kRulesNamed = 3;

}  // namespace

void ReportRulesReplaced(const FilePath& file, const std::optional<SYSTEMTIME>& changed,
                         const ReplacedRules& replaced, const std::optional<FilePath>& keptIn,
                         const FilePath& ownCopy) {
    std::wstring text =
        L"이 컴퓨터에서 마지막으로 저장한 규칙을 다른 곳에서 바꾸거나 "
        L"지웠습니다: " +
        ToWide(file) + L"\r\n파일이 바뀐 시각: " + TimeText(changed) + L"\r\n없어진 규칙 " +
        std::to_wstring(replaced.gone()) + L"개, 바뀐 규칙 " + std::to_wstring(replaced.changed()) +
        L"개:";
    for (size_t i = 0; i < replaced.rules.size() && i < kRulesNamed; ++i) {
        const ReplacedRule& rule = replaced.rules[i];
        text += L"\r\n    " + ToWide(RuleShortText(rule.saved)) +
                (rule.changed ? L" (바뀜)" : L" (없어짐)");
    }
    if (replaced.rules.size() > kRulesNamed) {
        text += L"\r\n    그 밖에 " + std::to_wstring(replaced.rules.size() - kRulesNamed) + L"개";
    }
    text += L"\r\n\r\n저장했던 규칙은 ";
    if (keptIn) text += L"규칙 폴더의 \"" + FileNameOf(*keptIn) + L"\"과 ";
    text += L"이 컴퓨터의 사본 \"" + ToWide(ownCopy) +
            L"\"에 남아 있습니다.\r\n지금은 규칙 파일의 규칙을 사용합니다.";
    ShowModuleMessage(text, MB_ICONWARNING);
}

#include "entry/RuleFileReport.h"

#include <cwchar>
#include <string>
#include <string_view>

#include "dialogs/ModuleMessages_win.h"
#include "platform/WideText_win.h"
#include "texts/ModuleTexts.h"
#include "texts/RuleFileNotice.h"
#include "texts/RuleFolderText.h"
#include "texts/TextFormat.h"

namespace {

std::wstring FileNameOf(std::u16string_view path) {
    const size_t backslash = path.rfind(u'\\');
    return ToWide(backslash == std::u16string_view::npos ? path : path.substr(backslash + 1));
}

// One message for everything read but not applied; nothing when all of it is.
void ReportLinesNotApplied(const FilePath& path, const RuleFileReadResult& lines) {
    const std::u16string notice =
        RuleFileLoadNotice(path, lines, Format(texts::kKeptCopyName, ToU16(FileNameOf(path))));
    if (!notice.empty()) ShowModuleMessage(ToWide(notice), MB_ICONWARNING);
}

std::wstring TimeText(const std::optional<SYSTEMTIME>& time) {
    if (!time) return ToWide(texts::kUnknownTime);
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
    const std::u16string name = ToU16(FileNameOf(path));
    const std::u16string what =
        Format(unreadableAtStart ? texts::kUnreadableAtStart : texts::kChangedSinceRead, path,
               ToU16(TimeText(changed)));
    const std::u16string kept = Format(
        unreadableAtStart ? texts::kReplaceKeepsBackup : texts::kReplaceKeepsBackupAndMissing, name,
        name);
    return AskModuleQuestion(ToWide(what + kept + texts::kReplaceNo));
}

namespace {

// "2026-03-04 05:06:07에 폴더에서 읽은 규칙" or "...에 이 컴퓨터에서 저장한 규칙".
std::u16string CopyText(const CopyInUse& copy) {
    return Format(
        copy.origin == CopyOrigin::Saved ? texts::kCopySavedHere : texts::kCopyReadFromFolder,
        ToU16(TimeText(copy.time)));
}

}  // namespace

void ReportLocalCopyInUse(const std::u16string& folder, const CopyInUse& copy) {
    ShowModuleMessage(ToWide(Format(texts::kFolderOutOfReach, folder, CopyText(copy))),
                      MB_ICONWARNING);
}

void ReportNoRuleFileInFolder(const RuleLocation& location,
                              const std::optional<FilePath>& besideModule) {
    const std::u16string how = besideModule
                                   ? Format(texts::kNoRuleFileInFolderBeside, *besideModule)
                                   : std::u16string(texts::kNoRuleFileInFolderHow);
    ShowModuleMessage(ToWide(Format(texts::kNoRuleFileInFolder, location.folder, how,
                                    RuleFolderSettingName(location.source))),
                      MB_ICONWARNING);
}

void ReportUnusableRuleFolder(const RuleLocation& location, const std::optional<CopyInUse>& copy) {
    const std::u16string rules = copy ? Format(texts::kUnusableSettingCopy, CopyText(*copy))
                                      : std::u16string(texts::kUnusableSettingNoCopy);
    ShowModuleMessage(ToWide(Format(texts::kUnusableSetting, RuleFolderFaultText(location), rules)),
                      MB_ICONWARNING);
}

void ReportNoFolderToSaveTo(const RuleLocation& location) {
    ShowModuleMessage(ToWide(Format(texts::kNoFolderToSaveTo, RuleFolderFaultText(location))),
                      MB_ICONWARNING);
}

namespace {

constexpr size_t kRulesNamed = 3;

}  // namespace

void ReportRulesReplaced(const FilePath& file, const std::optional<SYSTEMTIME>& changed,
                         const ReplacedRules& replaced, const std::optional<FilePath>& keptIn,
                         const FilePath& ownCopy) {
    std::u16string text = Format(texts::kRulesReplaced, file, ToU16(TimeText(changed)),
                                 replaced.gone(), replaced.changed());
    for (size_t i = 0; i < replaced.rules.size() && i < kRulesNamed; ++i) {
        const ReplacedRule& rule = replaced.rules[i];
        text += Format(rule.changed ? texts::kRuleChanged : texts::kRuleGone,
                       RuleShortText(rule.saved));
    }
    if (replaced.rules.size() > kRulesNamed) {
        text += Format(texts::kRulesReplacedMore, replaced.rules.size() - kRulesNamed);
    }
    const std::u16string inFolder =
        keptIn ? Format(texts::kRulesReplacedKeptInFolder, ToU16(FileNameOf(*keptIn))) : u"";
    text += Format(texts::kRulesReplacedKept, inFolder, ownCopy);
    ShowModuleMessage(ToWide(text), MB_ICONWARNING);
}

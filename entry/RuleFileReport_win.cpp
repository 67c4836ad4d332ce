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

std::wstring W(const char16_t* text) {
    return ToWide(text);
}

std::wstring FileNameOf(std::u16string_view path) {
    const size_t backslash = path.rfind(u'\\');
    return ToWide(backslash == std::u16string_view::npos ? path : path.substr(backslash + 1));
}

// One message for everything read but not applied; nothing when all of it is.
void ReportLinesNotApplied(const FilePath& path, const RuleFileReadResult& lines) {
    const std::u16string notice =
        RuleFileLoadNotice(path, lines, ToU16(FileNameOf(path)) + texts::kKeptCopySuffix);
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
    const std::wstring name = FileNameOf(path);
    const std::wstring what =
        unreadableAtStart
            ? W(texts::kUnreadableAtStart) + ToWide(path) + W(texts::kUnreadableAtStartNoRules)
            : W(texts::kChangedSinceRead) + ToWide(path) + W(texts::kChangedSinceReadTime);
    const std::wstring kept = (unreadableAtStart ? W(texts::kReplaceKeepsBackup)
                                                 : W(texts::kReplaceKeepsBackupAndMissing)) +
                              name + W(texts::kReplaceKeepsCopy);
    return AskModuleQuestion(what + TimeText(changed) + W(texts::kReplaceQuestion) + name + kept +
                             W(texts::kReplaceNo));
}

namespace {

// "2026-03-04 05:06:07에 폴더에서 읽은 규칙" or "...에 이 컴퓨터에서 저장한 규칙".
std::wstring CopyText(const CopyInUse& copy) {
    return TimeText(copy.time) +
           W(copy.origin == CopyOrigin::Saved ? texts::kCopySavedHere : texts::kCopyReadFromFolder);
}

}  // namespace

void ReportLocalCopyInUse(const std::u16string& folder, const CopyInUse& copy) {
    ShowModuleMessage(W(texts::kFolderOutOfReach) + ToWide(folder) +
                          W(texts::kFolderOutOfReachCopy) + CopyText(copy) +
                          W(texts::kFolderOutOfReachNoSave),
                      MB_ICONWARNING);
}

void ReportNoRuleFileInFolder(const RuleLocation& location,
                              const std::optional<FilePath>& besideModule) {
    const std::wstring how = besideModule
                                 ? W(texts::kNoRuleFileInFolderBeside) + ToWide(*besideModule) +
                                       W(texts::kNoRuleFileInFolderCopy)
                                 : W(texts::kNoRuleFileInFolderHow);
    ShowModuleMessage(W(texts::kNoRuleFileInFolder) + ToWide(location.folder) + how +
                          ToWide(RuleFolderSettingName(location.source)) + L")",
                      MB_ICONWARNING);
}

void ReportUnusableRuleFolder(const RuleLocation& location, const std::optional<CopyInUse>& copy) {
    const std::wstring rules =
        copy ? W(texts::kUnusableSettingCopy) + CopyText(*copy) + W(texts::kUnusableSettingCopyEnd)
             : W(texts::kUnusableSettingNoCopy);
    ShowModuleMessage(W(texts::kUnusableSetting) + ToWide(RuleFolderFaultText(location)) +
                          W(texts::kUnusableSettingAsOutOfReach) + rules +
                          W(texts::kUnusableSettingNoSave),
                      MB_ICONWARNING);
}

void ReportNoFolderToSaveTo(const RuleLocation& location) {
    ShowModuleMessage(W(texts::kNoFolderToSaveTo) + ToWide(RuleFolderFaultText(location)) +
                          W(texts::kNoFolderToSaveToKept),
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

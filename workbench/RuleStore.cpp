#include "workbench/RuleStore.h"

#include "platform/TextEncoding.h"
#include "rules/RuleStore.h"

namespace {

FilePath PathOf(const std::string& utf8) {
    return Utf16FromUtf8Replacing(utf8, SurrogateForm::ThreeBytes).text;
}

std::string Utf8(const FilePath& path) {
    return Utf8FromUtf16(path, SurrogateForm::Replaced);
}

const char* StepText(SaveStep step) {
    switch (step) {
        case SaveStep::CheckTarget:
            return "읽기 전용이거나 폴더입니다";
        case SaveStep::CheckBackup:
            return "백업 파일이 읽기 전용이거나 폴더입니다";
        case SaveStep::WriteNew:
            return "임시 파일에 쓸 수 없습니다";
        case SaveStep::ReadOld:
            return "이전 파일을 읽을 수 없습니다";
        case SaveStep::WriteBackup:
            return "백업 파일을 쓸 수 없습니다";
        case SaveStep::KeepCopy:
            return "보관 사본을 쓸 수 없습니다";
        case SaveStep::Replace:
            return "파일을 바꿀 수 없습니다";
        case SaveStep::CheckFound:
            return "그사이 다른 곳에서 파일이 바뀌었습니다";
        case SaveStep::None:
            break;
    }
    return "";
}

StoreOutcome OutcomeOf(const FilePort& files, const FileSave& save) {
    if (!save.succeeded()) {
        return {false,
                false,
                false,
                {},
                "파일을 저장할 수 없습니다: " + Utf8(save.failedPath) + " (" +
                    StepText(save.failedStep) + ": " + files.DescribeError(save.status.code) +
                    ", 오류 코드 " + std::to_string(save.status.code) + ")"};
    }
    return {true, save.unchanged, save.backupKept, Utf8(save.keptCopy), {}};
}

}  // namespace

StoreOutcome StoreRuleFile(FilePort& files, const std::string& path, const RuleTable& table) {
    return OutcomeOf(files, RuleStore(files, PathOf(path)).Save(table));
}

StoreOutcome StoreWholeFile(FilePort& files, const std::string& path, std::string_view bytes) {
    return OutcomeOf(files, WriteFileAtomically(files, PathOf(path), bytes));
}

#include "rules/SaveReport.h"

#include "platform/SystemErrorText.h"

namespace {

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// A check refuses for a reason of its own only when the file is read-only or a folder.
std::string StepWords(SaveStep step, FileFault fault) {
    const bool denied = fault == FileFault::Denied;
    switch (step) {
        case SaveStep::CheckTarget:
            return denied ? "읽기 전용이거나 폴더입니다" : "";
        case SaveStep::CheckBackup:
            return denied ? "백업 파일이 읽기 전용이거나 폴더입니다" : "백업 파일";
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

// An atomic write's steps are the first steps of a rule file's save.
SaveStep AsSaveStep(WriteStep step) {
    switch (step) {
        case WriteStep::CheckTarget:
            return SaveStep::CheckTarget;
        case WriteStep::WriteNew:
            return SaveStep::WriteNew;
        case WriteStep::Replace:
            return SaveStep::Replace;
        case WriteStep::None:
            break;
    }
    return SaveStep::None;
}

std::string SaveFailureLine(const FilePort& files, SaveStep failedStep, const FilePath& failedPath,
                            const FileStatus& status) {
    const std::string step = StepWords(failedStep, status.fault);
    const std::string cause = FileFaultWords(files, status);
    const std::string separator = step.empty() || cause.empty() ? "" : ": ";
    return "파일을 저장할 수 없습니다: " + files.NameOf(failedPath) + " (" + step + separator +
           cause + ")";
}

}  // namespace

std::u16string SystemCauseText(uint32_t code) {
    std::u16string text = SystemErrorText(code);
    if (text.empty()) text = u"알 수 없는 오류";
    return text + u" (오류 코드 " + Ascii(std::to_string(code)) + u")";
}

std::u16string FileFailureMessage(FileAction action, const FilePath& path, uint32_t code) {
    const std::u16string lead =
        action == FileAction::Open ? u"파일을 열 수 없습니다: " : u"파일을 저장할 수 없습니다: ";
    return lead + path + u"\r\n" + SystemCauseText(code);
}

std::string FileFaultWords(const FilePort& files, const FileStatus& status) {
    std::string words;
    switch (status.fault) {
        case FileFault::NotFound:
            words = "파일이 없습니다";
            break;
        case FileFault::NotAFile:
            words = "일반 파일이 아니라 장치, FIFO 또는 소켓입니다";
            break;
        case FileFault::TooLarge: {
            const std::string bound = std::to_string(kMostFileBytes >> 20) + " MB";
            if (status.size == 0)
                return "읽는 동안 규칙 파일과 CSV에 허용되는 " + bound + "를 넘었습니다";
            return std::to_string(status.size) + "바이트로, 규칙 파일과 CSV에 허용되는 " + bound +
                   "를 넘습니다";
        }
        case FileFault::LinkLoop:
            words = "기호 링크가 순환하여 파일에 이르지 않습니다";
            break;
        default:
            break;
    }
    if (status.code == 0) return words;
    const std::string system =
        files.DescribeError(status.code) + ", 오류 코드 " + std::to_string(status.code);
    return words.empty() ? system : words + ": " + system;
}

std::string SaveFailureLine(const FilePort& files, const FileSave& save) {
    return SaveFailureLine(files, save.failedStep, save.failedPath, save.status);
}

std::string SaveFailureLine(const FilePort& files, const FileWrite& write) {
    return SaveFailureLine(files, AsSaveStep(write.failedStep), write.failedPath, write.status);
}

std::string ReadFailureLine(const std::string& name, const std::string& why) {
    return "파일을 읽을 수 없습니다: " + name + " (" + why + ")";
}

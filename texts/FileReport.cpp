#include "texts/FileReport.h"

#include <string_view>

#include "platform/SystemErrorText.h"
#include "platform/TextEncoding.h"
#include "texts/ModuleTexts.h"
#include "texts/TextFormat.h"

namespace {

// The workbench writes UTF-8.
std::string Utf8(std::u16string_view text) {
    return Utf8FromUtf16(text, SurrogateForm::Replaced);
}

// A check refuses for a reason of its own only when the file is read-only or a folder.
std::u16string_view StepWords(SaveStep step, FileFault fault) {
    const bool denied = fault == FileFault::Denied;
    switch (step) {
        case SaveStep::CheckTarget:
            return denied ? texts::kTargetDenied : u"";
        case SaveStep::CheckBackup:
            return denied ? texts::kBackupDenied : texts::kBackupFile;
        case SaveStep::WriteNew:
            return texts::kCannotWriteNew;
        case SaveStep::ReadOld:
            return texts::kCannotReadOld;
        case SaveStep::WriteBackup:
            return texts::kCannotWriteBackup;
        case SaveStep::KeepCopy:
            return texts::kCannotKeepCopy;
        case SaveStep::Replace:
            return texts::kCannotReplace;
        case SaveStep::CheckFound:
            return texts::kChangedMeanwhile;
        case SaveStep::None:
            break;
    }
    return u"";
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
    const std::string step = Utf8(StepWords(failedStep, status.fault));
    const std::string cause = FileFaultWords(files, status);
    const std::string separator = step.empty() || cause.empty() ? "" : ": ";
    return FormatUtf8(texts::kCannotSaveFileLine, files.NameOf(failedPath),
                      step + separator + cause);
}

}  // namespace

std::u16string SystemCauseText(uint32_t code) {
    std::u16string text = SystemErrorText(code);
    if (text.empty()) text = texts::kUnknownError;
    return Format(texts::kSystemCause, text, code);
}

std::u16string FileFailureMessage(FileAction action, const FilePath& path, uint32_t code) {
    return Format(action == FileAction::Open ? texts::kCannotOpenFile : texts::kCannotSaveFile,
                  path, SystemCauseText(code));
}

std::string FileFaultWords(const FilePort& files, const FileStatus& status) {
    std::string words;
    switch (status.fault) {
        case FileFault::NotFound:
            words = Utf8(texts::kFileNotFound);
            break;
        case FileFault::NotAFile:
            words = Utf8(texts::kNotARegularFile);
            break;
        case FileFault::TooLarge: {
            const auto megabytes = kMostFileBytes >> 20;
            if (status.size == 0) return FormatUtf8(texts::kGrewBeyondBound, megabytes);
            return FormatUtf8(texts::kBytesBeyondBound, status.size, megabytes);
        }
        case FileFault::LinkLoop:
            words = Utf8(texts::kLinkLoop);
            break;
        default:
            break;
    }
    if (status.code == 0) return words;
    const std::string system =
        FormatUtf8(texts::kSystemCauseLine, files.DescribeError(status.code), status.code);
    return words.empty() ? system : words + ": " + system;
}

std::string SaveFailureLine(const FilePort& files, const FileSave& save) {
    return SaveFailureLine(files, save.failedStep, save.failedPath, save.status);
}

std::string SaveFailureLine(const FilePort& files, const FileWrite& write) {
    return SaveFailureLine(files, AsSaveStep(write.failedStep), write.failedPath, write.status);
}

std::string ReadFailureLine(const std::string& name, const std::string& why) {
    return FormatUtf8(texts::kCannotReadFileLine, name, why);
}

#include "workbench/RuleStore.h"

#include "rules/RuleStore.h"

namespace {

// What the user is told about a fault: words of our own where the fault says more than the
// system's text would, and the system's text with its code wherever there is one.
std::string CauseText(const FilePort& files, const FileStatus& status) {
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

// A check refuses for a reason of its own only when the file is read-only or a folder.
std::string StepText(const FileSave& save) {
    const bool denied = save.status.fault == FileFault::Denied;
    switch (save.failedStep) {
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

StoreOutcome OutcomeOf(const FilePort& files, const FileSave& save) {
    if (!save.succeeded()) {
        const std::string step = StepText(save);
        const std::string cause = CauseText(files, save.status);
        const std::string separator = step.empty() || cause.empty() ? "" : ": ";
        return {false,
                false,
                {},
                "파일을 저장할 수 없습니다: " + files.NameOf(save.failedPath) + " (" + step +
                    separator + cause + ")"};
    }
    return {true, save.backupKept, save.keptCopy.empty() ? "" : files.NameOf(save.keptCopy), {}};
}

}  // namespace

StoreOutcome StoreRuleFile(FilePort& files, const std::string& name, const RuleTable& table) {
    return OutcomeOf(files, RuleStore(files, files.PathFromName(name)).Save(table));
}

StoreOutcome StoreWholeFile(FilePort& files, const std::string& name, std::string_view bytes) {
    return OutcomeOf(files, WriteFileAtomically(files, files.PathFromName(name), bytes));
}

std::optional<std::string> ReadNamedFile(FilePort& files, const std::string& name,
                                         std::string& error) {
    const auto fail = [&](const std::string& why) -> std::optional<std::string> {
        error = "파일을 읽을 수 없습니다: " + name + " (" + why + ")";
        return std::nullopt;
    };
    const FilePath path = files.PathFromName(name);
    if (files.KindOf(path) == FileKind::Folder) return fail("폴더입니다");
    std::string bytes;
    const FileStatus read = files.ReadAll(path, ReadSharing::WithWriters, bytes);
    if (!read.ok()) return fail(CauseText(files, read));
    return bytes;
}

bool SameFile(FilePort& files, const std::string& a, const std::string& b) {
    const std::optional<FileInfo> first = files.InfoOf(files.PathFromName(a));
    const std::optional<FileInfo> second = files.InfoOf(files.PathFromName(b));
    return first && second && first->identity == second->identity;
}

#include "command/JournalFiles.h"

#include <algorithm>

namespace {

constexpr int kAttempts = 10;
constexpr unsigned kPauseMilliseconds = 20;

std::u16string WithoutFinalSeparator(std::u16string_view folder) {
    while (folder.size() > 1 && (folder.back() == u'\\' || folder.back() == u'/')) {
        folder.remove_suffix(1);
    }
    return std::u16string(folder);
}

}  // namespace

FilePath JournalFolderIn(std::u16string_view ruleFolder) {
    return WithoutFinalSeparator(ruleFolder) + u"\\" + kJournalFolderName;
}

FilePath SeatJournalPath(std::u16string_view ruleFolder, std::u16string_view computer) {
    return JournalFolderIn(ruleFolder) + u"\\" + std::u16string(computer) + u".csv";
}

FileStatus AppendToJournal(FilePort& port, const FilePath& path, const JournalAct& act,
                           std::span<const HoleChange> holes) {
    const bool anySteps =
        std::ranges::any_of(holes, [](const HoleChange& hole) { return !hole.steps.empty(); });
    if (!anySteps) return {};
    const AppendBytesFor rows = [&](uint64_t size, std::string_view lastBytes) {
        return JournalBytesToAppend(size, lastBytes, act, holes);
    };
    FileStatus status;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) port.Pause(kPauseMilliseconds);
        status = port.Append(path, rows);
        if (status.fault != FileFault::InUse) break;
    }
    return status;
}

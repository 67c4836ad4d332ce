#include "command/JournalFiles.h"

#include <algorithm>

namespace {

constexpr int kAttempts = 10;
constexpr unsigned kPauseMilliseconds = 20;

}  // namespace

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

// Writing a file so that its folder never holds a part of it: the bytes go to a file of the
// writer's own beside it first and reach the file's name by one rename. Policies that keep
// more of what is replaced (the rule file's backup and kept copy, rules/RuleStore.h) are
// built from the same pieces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FilePort.h"

// A name is taken by this writer's other file, or by another writer only by chance (a reused
// process id, another machine on a shared folder), so a few attempts find a free one.
inline constexpr unsigned kFreeNameAttempts = 100;
// Rounds of a replace (or of a read) while other programs are in the way, and the pause
// between them: a file held open for longer fails the write within a fifth of a second.
inline constexpr unsigned kBusyRounds = 10;
inline constexpr unsigned kPauseBetweenBusyRoundsMs = 20;

// Another writer or reader that has the file open, or another writer that has just created
// or replaced it, is done in a moment.
bool MayPassSoon(FileFault fault);

// Why `path` may not be replaced: a read-only file or a folder (Denied, whatever the system's
// rename would do), a device, FIFO or socket (NotAFile), a link that leads in a circle
// (LinkLoop); nothing for a file or no file.
std::optional<FileStatus> ReplaceRefusal(FilePort& port, const FilePath& path);

// A file of the writer's own beside `besidePath`, holding the given bytes, with the
// permissions of `besidePath`; removed again unless it has been renamed into place.
class OwnFile {
public:
    OwnFile(FilePort& port, const FilePath& besidePath, std::string_view bytes);
    ~OwnFile();
    OwnFile(const OwnFile&) = delete;
    OwnFile& operator=(const OwnFile&) = delete;

    const FileStatus& status() const { return status_; }

    // Afterwards the file is no longer the writer's to remove.
    FileStatus MoveTo(const FilePath& target, bool replace);

private:
    FilePort& port_;
    FilePath path_;  // empty while no file is ours
    FileStatus status_;
};

// The step of an atomic write that failed.
enum class WriteStep : uint8_t {
    None,
    CheckTarget,  // the file is read-only, a folder, no file at all or a link loop
    WriteNew,     // the new contents could not be written beside the file
    Replace,      // the new contents could not take the file's place
};

struct FileWrite {
    FilePath path;      // the file written, as given
    FileStatus status;  // the failed step's status; ok when written
    WriteStep failedStep = WriteStep::None;
    FilePath failedPath;  // the file the failed step was about

    bool succeeded() const { return status.ok(); }
};

// Replaces a file's contents through a file of its own and one rename, without reading or
// keeping the file replaced; writes through links (the name as given is checked too, since a
// link the system resolves by itself, such as /dev/stdout, leads where following it by hand
// does not).
FileWrite WriteFileAtomically(FilePort& port, const FilePath& path, std::string_view bytes);

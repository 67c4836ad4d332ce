#include "platform/AtomicFile.h"

namespace {

FilePath Ascii(const std::string& text) {
    return FilePath(text.begin(), text.end());
}

FilePath TemporaryPathOf(const FilePath& path, const std::u16string& processTag, unsigned attempt) {
    return path + u"." + processTag + u"-" + Ascii(std::to_string(attempt)) + u".tmp";
}

FileWrite Failed(FileWrite write, const FileStatus& status, WriteStep step, const FilePath& path) {
    write.status = status;
    write.failedStep = step;
    write.failedPath = path;
    return write;
}

}  // namespace

bool MayPassSoon(FileFault fault) {
    return fault == FileFault::NameTaken || fault == FileFault::InUse || fault == FileFault::Denied;
}

std::optional<FileStatus> ReplaceRefusal(FilePort& port, const FilePath& path) {
    switch (port.KindOf(path)) {
        case FileKind::ReadOnlyFile:
        case FileKind::Folder:
            return FileStatus{FileFault::Denied, port.DeniedCode()};
        case FileKind::Special:
            return FileStatus{FileFault::NotAFile, 0};
        case FileKind::LinkLoop:
            return FileStatus{FileFault::LinkLoop, 0};
        case FileKind::Missing:
        case FileKind::File:
            break;
    }
    return std::nullopt;
}

OwnFile::OwnFile(FilePort& port, const FilePath& besidePath, std::string_view bytes) : port_(port) {
    const std::u16string tag = port.ProcessTag();
    for (unsigned attempt = 0; attempt < kFreeNameAttempts; ++attempt) {
        const FilePath candidate = TemporaryPathOf(besidePath, tag, attempt);
        status_ = port.CreateNew(candidate, bytes, besidePath);
        if (status_.fault == FileFault::NameTaken) continue;
        if (status_.ok()) path_ = candidate;
        return;
    }
}

OwnFile::~OwnFile() {
    if (!path_.empty()) port_.Remove(path_);
}

FileStatus OwnFile::MoveTo(const FilePath& target, bool replace) {
    const FileStatus moved = port_.Rename(path_, target, replace);
    if (moved.ok()) path_.clear();
    return moved;
}

FileWrite WriteFileAtomically(FilePort& port, const FilePath& path, std::string_view bytes) {
    const FilePath target = port.FollowLinks(path);
    FileWrite write{path, {}, WriteStep::None, {}};
    for (const FilePath& checked : {path, target}) {
        if (auto refusal = ReplaceRefusal(port, checked)) {
            return Failed(write, *refusal, WriteStep::CheckTarget, checked);
        }
    }
    OwnFile replacement(port, target, bytes);
    if (!replacement.status().ok()) {
        return Failed(write, replacement.status(), WriteStep::WriteNew, target);
    }
    FileStatus moved = replacement.MoveTo(target, true);
    for (unsigned round = 1; round < kBusyRounds && !moved.ok() && MayPassSoon(moved.fault);
         ++round) {
        port.Pause(kPauseBetweenBusyRoundsMs);
        moved = replacement.MoveTo(target, true);
    }
    return moved.ok() ? write : Failed(write, moved, WriteStep::Replace, target);
}

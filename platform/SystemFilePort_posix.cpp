#include "platform/SystemFilePort.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "platform/SystemErrorText.h"
#include "platform/TextEncoding.h"

namespace {

// Links followed before a chain counts as a loop, as the system itself counts them.
constexpr int kMostLinks = 40;
constexpr size_t kChunkSize = 64 * 1024;

// A name's bytes that are not UTF-8 travel in the path as escaped units and reach the system
// as the very bytes they were.
std::string SystemPath(const FilePath& path) {
    return BytesFromUtf16Escaped(path);
}

FilePath FromSystemPath(std::string_view bytes) {
    return Utf16FromBytesEscaping(bytes);
}

FileStatus Status(int error) {
    if (error == 0) return {};
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return {FileFault::NotFound, static_cast<uint32_t>(error)};
        case EEXIST:
            return {FileFault::NameTaken, static_cast<uint32_t>(error)};
        case EBUSY:
        case ETXTBSY:
            return {FileFault::InUse, static_cast<uint32_t>(error)};
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return {FileFault::Denied, static_cast<uint32_t>(error)};
        case ELOOP:
            return {FileFault::LinkLoop, static_cast<uint32_t>(error)};
        case EFBIG:
            return {FileFault::TooLarge, static_cast<uint32_t>(error)};
        default:
            return {FileFault::Other, static_cast<uint32_t>(error)};
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and tells the error a delayed write may only report here.
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        if (written == 0) return EIO;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

std::string ParentFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a rename itself durable; the file is in place either way, so a folder that cannot be
// synced is not reported.
void SyncFolderOf(const std::string& path) {
    const Descriptor folder(
        ::open(ParentFolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());
}

// Files, folders (refused as such) and pipes; not devices or sockets.
bool Readable(const struct stat& info) {
    return S_ISREG(info.st_mode) || S_ISDIR(info.st_mode) || S_ISFIFO(info.st_mode);
}

FileStatus TooLarge(uint64_t size) {
    return {FileFault::TooLarge, EFBIG, size};
}

// Reads to the end, or to one byte past `mostBytes`.
FileStatus ReadBounded(int fd, uint64_t mostBytes, std::string& bytes) {
    std::string chunk(kChunkSize, '\0');
    for (;;) {
        const ssize_t read = ::read(fd, chunk.data(), chunk.size());
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return Status(errno);
        if (read == 0) return {};
        bytes.append(chunk, 0, static_cast<size_t>(read));
        if (bytes.size() > mostBytes) {
            bytes.clear();
            return TooLarge(0);
        }
    }
}

}  // namespace

// POSIX has no mandatory locks, so sharing is what other programs agree to. The file is
// opened without blocking, so that a FIFO nobody writes to gives its end at once instead of
// waiting for a writer; reading itself blocks as usual.
FileStatus SystemFilePort::ReadAll(const FilePath& path, ReadSharing /*sharing*/,
                                   std::string& bytes) {
    bytes.clear();
    const std::string name = SystemPath(path);
    struct stat info {};
    // A device is not even opened: opening some of them has effects of its own.
    if (::stat(name.c_str(), &info) == 0 && !Readable(info)) return {FileFault::NotAFile, 0};
    const Descriptor file(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.valid()) return Status(errno);
    if (::fstat(file.get(), &info) != 0) return Status(errno);
    if (S_ISDIR(info.st_mode)) return Status(EISDIR);
    if (!Readable(info)) return {FileFault::NotAFile, 0};
    if (static_cast<uint64_t>(info.st_size) > mostBytes_) return TooLarge(info.st_size);
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return Status(errno);
    return ReadBounded(file.get(), mostBytes_, bytes);
}

FileStatus SystemFilePort::CreateNew(const FilePath& path, std::string_view bytes,
                                     const FilePath& permissionsOf) {
    const std::string name = SystemPath(path);
    Descriptor file(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.valid()) return Status(errno);
    int error = WriteAll(file.get(), bytes);
    struct stat model {};
    if (error == 0 && ::stat(SystemPath(permissionsOf).c_str(), &model) == 0 &&
        S_ISREG(model.st_mode) && ::fchmod(file.get(), model.st_mode & 07777) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(file.get()) != 0) error = errno;
    if (const int closeError = file.Close(); error == 0) error = closeError;
    if (error != 0) ::unlink(name.c_str());
    return Status(error);
}

FileStatus SystemFilePort::Rename(const FilePath& from, const FilePath& to, bool replace) {
    const std::string source = SystemPath(from);
    const std::string target = SystemPath(to);
    if (replace) {
        if (::rename(source.c_str(), target.c_str()) != 0) return Status(errno);
    } else if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) !=
               0) {
        if (errno != EINVAL && errno != ENOSYS) return Status(errno);
        // A file system without the flag: a hard link is just as exclusive.
        if (::link(source.c_str(), target.c_str()) != 0) return Status(errno);
        ::unlink(source.c_str());
    }
    SyncFolderOf(target);
    return {};
}

FileStatus SystemFilePort::Remove(const FilePath& path) {
    return Status(::unlink(SystemPath(path).c_str()) == 0 ? 0 : errno);
}

namespace {

class PosixAppend final : public AppendTarget {
public:
    PosixAppend(int fd, uint64_t size) : fd_(fd), size_(size) {}
    uint64_t size() const override { return size_; }
    FileStatus ReadAt(uint64_t offset, size_t count, std::string& bytes) override {
        bytes.assign(
            static_cast<size_t>(std::min<uint64_t>(count, size_ - std::min(offset, size_))), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t read = ::pread(fd_, bytes.data() + done, bytes.size() - done,
                                         static_cast<off_t>(offset + done));
            if (read < 0 && errno == EINTR) continue;
            if (read < 0) return Status(errno);
            if (read == 0) break;
            done += static_cast<size_t>(read);
        }
        bytes.resize(done);
        return {};
    }
    FileStatus Write(std::string_view bytes) override { return Status(WriteAll(fd_, bytes)); }

private:
    int fd_;
    uint64_t size_;
};

class PosixReadStream final : public ReadStream {
public:
    explicit PosixReadStream(int fd) : file_(fd) {}
    FileStatus Read(char* buffer, size_t capacity, size_t& got) override {
        got = 0;
        for (;;) {
            const ssize_t read = ::read(file_.get(), buffer, capacity);
            if (read < 0 && errno == EINTR) continue;
            if (read < 0) return Status(errno);
            got = static_cast<size_t>(read);
            return {};
        }
    }
    FileStatus Skip(uint64_t count) override {
        return ::lseek(file_.get(), static_cast<off_t>(count), SEEK_CUR) < 0 ? Status(errno)
                                                                             : FileStatus{};
    }

private:
    Descriptor file_;
};

}  // namespace

// An exclusive lock keeps two appends of programs that lock alike from interleaving; O_APPEND
// puts every write at the end.
FileStatus SystemFilePort::AppendInPieces(const FilePath& path, const AppendPieces& write) {
    Descriptor file(
        ::open(SystemPath(path).c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0666));
    if (!file.valid()) return Status(errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return Status(errno);
    if (!S_ISREG(info.st_mode)) return {FileFault::NotAFile, 0};
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? FileStatus{FileFault::InUse, static_cast<uint32_t>(errno)}
                                    : Status(errno);
    }
    if (::fstat(file.get(), &info) != 0) return Status(errno);
    PosixAppend target(file.get(), static_cast<uint64_t>(info.st_size));
    FileStatus status = write(target);
    if (status.ok() && ::fsync(file.get()) != 0) status = Status(errno);
    if (const int closeError = file.Close(); status.ok() && closeError != 0) {
        status = Status(closeError);
    }
    return status;
}

FileStatus SystemFilePort::OpenToRead(const FilePath& path, ReadSharing /*sharing*/,
                                      std::unique_ptr<ReadStream>& stream) {
    stream.reset();
    const std::string name = SystemPath(path);
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return S_ISDIR(info.st_mode) ? Status(EISDIR) : FileStatus{FileFault::NotAFile, 0};
    }
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return Status(errno);
    auto opened = std::make_unique<PosixReadStream>(fd);
    if (::fstat(fd, &info) != 0) return Status(errno);
    if (!S_ISREG(info.st_mode)) return {FileFault::NotAFile, 0};
    stream = std::move(opened);
    return {};
}

FileStatus SystemFilePort::MakeFolder(const FilePath& path) {
    const std::string name = SystemPath(path);
    if (::mkdir(name.c_str(), 0777) == 0) return {};
    const int error = errno;
    struct stat info {};
    if (error == EEXIST && ::stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return {};
    return Status(error);
}

FileKind SystemFilePort::KindOf(const FilePath& path) {
    const std::string name = SystemPath(path);
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) {
        return errno == ELOOP ? FileKind::LinkLoop : FileKind::Missing;
    }
    if (S_ISDIR(info.st_mode)) return FileKind::Folder;
    if (!S_ISREG(info.st_mode)) return FileKind::Special;
    return (info.st_mode & 0222) == 0 ? FileKind::ReadOnlyFile : FileKind::File;
}

std::optional<FileInfo> SystemFilePort::InfoOf(const FilePath& path) {
    struct stat info {};
    if (::stat(SystemPath(path).c_str(), &info) != 0) return std::nullopt;
    return FileInfo{{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)},
                    static_cast<int64_t>(info.st_mtim.tv_sec)};
}

FilePath SystemFilePort::FollowLinks(const FilePath& path) {
    std::string current = SystemPath(path);
    for (int link = 0; link < kMostLinks; ++link) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096), '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) break;
        target.resize(static_cast<size_t>(length));
        current = target.starts_with('/') ? target : ParentFolderOf(current) + "/" + target;
    }
    return FromSystemPath(current);
}

FileStatus SystemFilePort::ListFolder(const FilePath& folder, std::vector<FilePath>& entries) {
    std::string prefix = SystemPath(folder);
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(prefix.c_str()), ::closedir);
    if (!listing) return Status(errno);
    if (!prefix.ends_with('/')) prefix += '/';
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing.get());
        if (entry == nullptr) return Status(errno);
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") entries.push_back(FromSystemPath(prefix + entry->d_name));
    }
}

FilePath SystemFilePort::PathFromName(std::string_view name) const {
    return FromSystemPath(name);
}

std::string SystemFilePort::NameOf(const FilePath& path) const {
    return SystemPath(path);
}

uint32_t SystemFilePort::DeniedCode() const {
    return EACCES;
}

std::string SystemFilePort::DescribeError(uint32_t code) const {
    return Utf8FromUtf16(SystemErrorText(code), SurrogateForm::Replaced);
}

std::u16string SystemFilePort::ProcessTag() const {
    return DecimalUtf16(::getpid());
}

LocalTime SystemFilePort::Now() const {
    const time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

void SystemFilePort::Pause(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

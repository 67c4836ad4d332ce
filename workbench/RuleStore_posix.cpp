// The rule file writer on POSIX systems: new contents and the backup each go to a temporary
// file of their own, created exclusively in the same folder and synced, and reach their
// names by rename, so no reader ever sees a partly written file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string_view>

#include "rules/RuleFileFormat.h"
#include "workbench/RuleStore.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTemporaryNameAttempts = 100;

class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and tells whether that failed (a delayed write error shows up here).
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

struct Failure {
    int error = 0;  // errno; 0 when the step succeeded
    const char* step = "";
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

std::string RandomSuffix() {
    std::random_device random;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix = ".tmp-";
    for (int i = 0; i < 12; ++i) suffix.push_back(kHex[random() % 16]);
    return suffix;
}

// A new file beside `target` that this call alone created, holding `bytes` on disk.
// On success `temporary` names it; on failure nothing is left behind.
Failure WriteTemporary(const fs::path& target, std::string_view bytes, const struct stat* modeOf,
                       fs::path& temporary) {
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
        temporary = target;
        temporary += RandomSuffix();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return {errno, "임시 파일을 만들 수 없습니다"};
    }
    if (fd < 0) return {EEXIST, "임시 파일을 만들 수 없습니다"};
    UniqueFd file(fd);
    int error = WriteAll(file.get(), bytes);
    if (error == 0 && modeOf != nullptr && ::fchmod(file.get(), modeOf->st_mode & 07777) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(file.get()) != 0) error = errno;
    if (const int closeError = file.Close(); error == 0) error = closeError;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return {error, "임시 파일에 쓸 수 없습니다"};
    }
    return {};
}

Failure ReadAll(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {errno != 0 ? errno : EIO, "이전 파일을 읽을 수 없습니다"};
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return {EIO, "이전 파일을 읽을 수 없습니다"};
    return {};
}

Failure ReplaceWith(const fs::path& temporary, const fs::path& target, const char* step) {
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return {error, step};
    }
    return {};
}

// The previous file's bytes under "<file>.bak", replacing an older backup in one rename.
Failure KeepBackup(const fs::path& target, const struct stat& old) {
    std::string bytes;
    if (Failure failure = ReadAll(target, bytes); failure.error != 0) return failure;
    const fs::path backup = BackupPathOf(target);
    fs::path temporary;
    if (Failure failure = WriteTemporary(backup, bytes, &old, temporary); failure.error != 0) {
        return failure;
    }
    return ReplaceWith(temporary, backup, "백업 파일을 바꿀 수 없습니다");
}

// Makes the renames themselves durable; the file is in place either way, so a folder that
// cannot be synced is not reported.
void SyncFolderOf(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    UniqueFd dir(fd);
    ::fsync(dir.get());
}

// A rule file that is a link is written where the link points, so the link stays.
fs::path ResolveLink(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error)) return path;
    const fs::path resolved = fs::canonical(path, error);
    return error ? path : resolved;
}

// As on Windows, a rule file that is read-only (or a folder) is never replaced.
Failure StatOldFile(const fs::path& target, struct stat& old, bool& exists) {
    exists = false;
    if (::stat(target.c_str(), &old) != 0) {
        return errno == ENOENT ? Failure{} : Failure{errno, "파일 정보를 읽을 수 없습니다"};
    }
    if (S_ISDIR(old.st_mode)) return {EISDIR, "같은 이름의 폴더가 있습니다"};
    if ((old.st_mode & 0222) == 0) return {EACCES, "읽기 전용 파일입니다"};
    exists = true;
    return {};
}

StoreOutcome Failed(const fs::path& path, const Failure& failure) {
    const std::u8string name = path.u8string();
    return {false, false,
            "파일을 저장할 수 없습니다: " + std::string(name.begin(), name.end()) + " (" +
                failure.step + ": " + std::strerror(failure.error) + ")"};
}

}  // namespace

StoreOutcome StoreRuleFile(const fs::path& path, const RuleTable& table) {
    const fs::path target = ResolveLink(path);
    struct stat old {};
    bool exists = false;
    if (Failure failure = StatOldFile(target, old, exists); failure.error != 0) {
        return Failed(path, failure);
    }
    fs::path temporary;
    if (Failure failure =
            WriteTemporary(target, EncodeRuleFile(table), exists ? &old : nullptr, temporary);
        failure.error != 0) {
        return Failed(path, failure);
    }
    if (exists) {
        if (Failure failure = KeepBackup(target, old); failure.error != 0) {
            ::unlink(temporary.c_str());
            return Failed(path, failure);
        }
    }
    if (Failure failure = ReplaceWith(temporary, target, "파일을 바꿀 수 없습니다");
        failure.error != 0) {
        return Failed(path, failure);
    }
    SyncFolderOf(target);
    return {true, exists, {}};
}

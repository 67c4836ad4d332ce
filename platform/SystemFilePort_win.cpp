#include "platform/SystemFilePort.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/FilePaths_win.h"
#include "platform/Handles_win.h"
#include "platform/SystemErrorText.h"
#include "platform/TextEncoding.h"
#include "platform/WideText_win.h"

namespace {

constexpr DWORD kChunkSize = 64 * 1024;

std::wstring ApiPath(const FilePath& path) {
    return ForFileApi(ToWide(path));
}

FileStatus Status(DWORD error) {
    const auto code = static_cast<uint32_t>(error);
    switch (error) {
        case ERROR_SUCCESS:
            return {};
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return {FileFault::NotFound, code};
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return {FileFault::NameTaken, code};
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return {FileFault::InUse, code};
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return {FileFault::Denied, code};
        case ERROR_CANT_RESOLVE_FILENAME:  // what a loop of symbolic links gives
            return {FileFault::LinkLoop, code};
        case ERROR_FILE_TOO_LARGE:
            return {FileFault::TooLarge, code};
        default:
            return {FileFault::Other, code};
    }
}

FileStatus LastError() {
    return Status(GetLastError());
}

DWORD ShareModeFor(ReadSharing sharing) {
    // Saves copy the file for their backup while others read it, and rename over it; a load
    // also reads a file that an editor or a backup program holds open for writing.
    const DWORD withSaves = FILE_SHARE_READ | FILE_SHARE_DELETE;
    return sharing == ReadSharing::WithWriters ? withSaves | FILE_SHARE_WRITE : withSaves;
}

FileStatus TooLarge(uint64_t size) {
    return {FileFault::TooLarge, ERROR_FILE_TOO_LARGE, size};
}

// Links followed, without reading or writing it, so that no other program's sharing stands
// in the way and a device is not set going.
UniqueFile OpenToLook(const std::wstring& apiPath) {
    return UniqueFile(CreateFileW(apiPath.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Reads to the end, or to one byte past `mostBytes` (a file may grow while it is read).
FileStatus ReadBounded(HANDLE file, uint64_t mostBytes, std::string& bytes) {
    std::string chunk(kChunkSize, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, chunk.data(), kChunkSize, &read, nullptr)) return LastError();
        if (read == 0) return {};
        bytes.append(chunk, 0, read);
        if (bytes.size() > mostBytes) {
            bytes.clear();
            return TooLarge(0);
        }
    }
}

FileKind KindOfAttributes(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::Folder;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return FileKind::ReadOnlyFile;
    return FileKind::File;
}

FileStatus WriteAll(HANDLE file, std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkSize));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, size, &written, nullptr)) return LastError();
        if (written == 0) return Status(ERROR_WRITE_FAULT);
        done += written;
    }
    return FlushFileBuffers(file) ? FileStatus{} : LastError();
}

}  // namespace

// Only files on a disk are read: anything else (a device such as NUL, CON or COM1, a named
// pipe) is refused as NotAFile, before it is opened for reading.
FileStatus SystemFilePort::ReadAll(const FilePath& path, ReadSharing sharing, std::string& bytes) {
    bytes.clear();
    const std::wstring name = ApiPath(path);
    if (KindOf(path) == FileKind::Special) return {FileFault::NotAFile, 0};
    const UniqueFile file(CreateFileW(name.c_str(), GENERIC_READ, ShareModeFor(sharing), nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return {FileFault::NotAFile, 0};
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && static_cast<uint64_t>(size.QuadPart) > mostBytes_) {
        return TooLarge(static_cast<uint64_t>(size.QuadPart));
    }
    return ReadBounded(file.get(), mostBytes_, bytes);
}

// Windows keeps no permissions that a new file should copy from the one it replaces.
FileStatus SystemFilePort::CreateNew(const FilePath& path, std::string_view bytes,
                                     const FilePath& /*permissionsOf*/) {
    const std::wstring name = ApiPath(path);
    FileStatus status;
    {
        const UniqueFile file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return LastError();
        status = WriteAll(file.get(), bytes);
    }
    if (!status.ok()) DeleteFileW(name.c_str());
    return status;
}

FileStatus SystemFilePort::Rename(const FilePath& from, const FilePath& to, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(ApiPath(from).c_str(), ApiPath(to).c_str(), flags)) return LastError();
    return {};
}

FileStatus SystemFilePort::Remove(const FilePath& path) {
    return DeleteFileW(ApiPath(path).c_str()) ? FileStatus{} : LastError();
}

namespace {

class Win32Append final : public AppendTarget {
public:
    Win32Append(HANDLE file, uint64_t size) : file_(file), size_(size) {}
    uint64_t size() const override { return size_; }
    FileStatus ReadAt(uint64_t offset, size_t count, std::string& bytes) override {
        bytes.assign(
            static_cast<size_t>(std::min<uint64_t>(count, size_ - std::min(offset, size_))), '\0');
        LARGE_INTEGER start{};
        start.QuadPart = static_cast<LONGLONG>(offset);
        if (bytes.empty()) return {};
        if (!SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) return LastError();
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD read = 0;
            const DWORD want =
                static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkSize));
            if (!ReadFile(file_, bytes.data() + done, want, &read, nullptr)) return LastError();
            if (read == 0) break;
            done += read;
        }
        bytes.resize(done);
        return {};
    }
    // Without the flush of WriteAll: the append flushes once when it ends.
    FileStatus Write(std::string_view bytes) override {
        for (size_t done = 0; done < bytes.size();) {
            const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
            DWORD written = 0;
            if (!WriteFile(file_, bytes.data() + done, size, &written, nullptr)) {
                return LastError();
            }
            if (written == 0) return Status(ERROR_WRITE_FAULT);
            done += written;
        }
        return {};
    }

private:
    HANDLE file_;
    uint64_t size_;
};

class Win32ReadStream final : public ReadStream {
public:
    explicit Win32ReadStream(UniqueFile file) : file_(std::move(file)) {}
    FileStatus Read(char* buffer, size_t capacity, size_t& got) override {
        DWORD read = 0;
        got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(capacity, 1u << 24));
        if (!ReadFile(file_.get(), buffer, want, &read, nullptr)) return LastError();
        got = read;
        return {};
    }
    FileStatus Skip(uint64_t count) override {
        LARGE_INTEGER distance{};
        distance.QuadPart = static_cast<LONGLONG>(count);
        return SetFilePointerEx(file_.get(), distance, nullptr, FILE_CURRENT) ? FileStatus{}
                                                                              : LastError();
    }

private:
    UniqueFile file_;
};

}  // namespace

// Others may read the file meanwhile but not write it, so that two appends never interleave;
// writes with FILE_APPEND_DATA alone always land at the end.
FileStatus SystemFilePort::AppendInPieces(const FilePath& path, const AppendPieces& write) {
    const UniqueFile file(CreateFileW(ApiPath(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                                      FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
    if (!file) return LastError();
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return {FileFault::NotAFile, 0};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return LastError();
    Win32Append target(file.get(), static_cast<uint64_t>(size.QuadPart));
    const FileStatus status = write(target);
    if (!status.ok()) return status;
    return FlushFileBuffers(file.get()) ? FileStatus{} : LastError();
}

FileStatus SystemFilePort::OpenToRead(const FilePath& path, ReadSharing sharing,
                                      std::unique_ptr<ReadStream>& stream) {
    stream.reset();
    if (KindOf(path) == FileKind::Special) return {FileFault::NotAFile, 0};
    UniqueFile file(CreateFileW(ApiPath(path).c_str(), GENERIC_READ, ShareModeFor(sharing), nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return LastError();
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return {FileFault::NotAFile, 0};
    stream = std::make_unique<Win32ReadStream>(std::move(file));
    return {};
}

FileStatus SystemFilePort::MakeFolder(const FilePath& path) {
    const std::wstring name = ApiPath(path);
    if (CreateDirectoryW(name.c_str(), nullptr)) return {};
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && KindOf(path) == FileKind::Folder) return {};
    return Status(error);
}

// The attributes of a link are its own, so the file is opened to see what the link leads to.
FileKind SystemFilePort::KindOf(const FilePath& path) {
    const std::wstring name = ApiPath(path);
    if (const UniqueFile file = OpenToLook(name)) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileType(file.get()) != FILE_TYPE_DISK) return FileKind::Special;
        if (GetFileInformationByHandle(file.get(), &info)) {
            return KindOfAttributes(info.dwFileAttributes);
        }
    } else if (GetLastError() == ERROR_CANT_RESOLVE_FILENAME) {
        return FileKind::LinkLoop;
    }
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
    return KindOfAttributes(attributes);
}

std::optional<FileInfo> SystemFilePort::InfoOf(const FilePath& path) {
    const UniqueFile file = OpenToLook(ApiPath(path));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    // File times count 100 ns from 1601-01-01.
    constexpr int64_t kTicksPerSecond = 10'000'000;
    constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    const int64_t written = (static_cast<int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                            info.ftLastWriteTime.dwLowDateTime;
    return FileInfo{{info.dwVolumeSerialNumber,
                     (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow},
                    written / kTicksPerSecond - kSecondsFrom1601To1970};
}

// The file API itself writes through links on Windows: a rename replaces the link, so a
// link is resolved to the file it names.
FilePath SystemFilePort::FollowLinks(const FilePath& path) {
    const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    const UniqueFile file = OpenToLook(ApiPath(path));
    if (!file) return path;
    std::wstring target(32768, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(file.get(), target.data(), static_cast<DWORD>(target.size()), 0);
    if (length == 0 || length >= target.size()) return path;
    target.resize(length);
    return ToU16(target);
}

FileStatus SystemFilePort::ListFolder(const FilePath& folder, std::vector<FilePath>& entries) {
    std::u16string prefix = folder;
    if (!prefix.ends_with(u'\\') && !prefix.ends_with(u'/')) prefix += u'\\';
    WIN32_FIND_DATAW found{};
    const UniqueFind listing(FindFirstFileW(ApiPath(prefix + u"*").c_str(), &found));
    if (!listing) return LastError();
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") entries.push_back(prefix + ToU16(name));
    } while (FindNextFileW(listing.get(), &found));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? FileStatus{} : Status(error);
}

FilePath SystemFilePort::PathFromName(std::string_view name) const {
    return Utf16FromUtf8Replacing(name, SurrogateForm::ThreeBytes).text;
}

std::string SystemFilePort::NameOf(const FilePath& path) const {
    return Utf8FromUtf16(path, SurrogateForm::ThreeBytes);
}

uint32_t SystemFilePort::DeniedCode() const {
    return ERROR_ACCESS_DENIED;
}

std::string SystemFilePort::DescribeError(uint32_t code) const {
    return Utf8FromUtf16(SystemErrorText(code), SurrogateForm::Replaced);
}

std::u16string SystemFilePort::ProcessTag() const {
    return ToU16(std::to_wstring(GetCurrentProcessId()));
}

LocalTime SystemFilePort::Now() const {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void SystemFilePort::Pause(unsigned milliseconds) {
    Sleep(milliseconds);
}

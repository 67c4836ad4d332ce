#include "platform/SystemFilePort.h"

#include <windows.h>

#include <algorithm>

#include "platform/FilePaths.h"
#include "platform/Handles.h"
#include "platform/SystemErrorText.h"
#include "platform/TextEncoding.h"
#include "platform/WideText.h"

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
    return sharing == ReadSharing::WithAnyone ? withSaves | FILE_SHARE_WRITE : withSaves;
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

FileStatus SystemFilePort::ReadAll(const FilePath& path, ReadSharing sharing, std::string& bytes) {
    const UniqueFile file(CreateFileW(ApiPath(path).c_str(), GENERIC_READ, ShareModeFor(sharing),
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    bytes.clear();
    std::string chunk(kChunkSize, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), kChunkSize, &read, nullptr)) return LastError();
        if (read == 0) return {};
        bytes.append(chunk, 0, read);
    }
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

FileKind SystemFilePort::KindOf(const FilePath& path) {
    const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::Folder;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return FileKind::ReadOnlyFile;
    return FileKind::File;
}

// The file API itself writes through links on Windows: a rename replaces the link, so a
// link is resolved to the file it names.
FilePath SystemFilePort::FollowLinks(const FilePath& path) {
    const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    const UniqueFile file(CreateFileW(ApiPath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return path;
    std::wstring target(32768, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(file.get(), target.data(), static_cast<DWORD>(target.size()), 0);
    if (length == 0 || length >= target.size()) return path;
    target.resize(length);
    return ToU16(target);
}

uint32_t SystemFilePort::DeniedCode() const {
    return ERROR_ACCESS_DENIED;
}

std::string SystemFilePort::DescribeError(uint32_t code) const {
    return Utf8FromUtf16(ToU16(SystemErrorText(code)), SurrogateForm::Replaced);
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

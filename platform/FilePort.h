// The few file operations the rule store needs, each reporting the platform's own error code.
// One implementation talks to Win32, one to POSIX; tests put a fake in their place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Paths are UTF-16, as the module keeps every text.
using FilePath = std::u16string;

// What the store must tell apart to decide its next step; the code says the rest.
enum class FileFault : uint8_t {
    None,
    NotFound,   // the file (or a folder on its path) does not exist
    NameTaken,  // a file of that name exists where a new one was to be created
    InUse,      // another program holds the file open in a way that blocks the operation
    Denied,     // read-only, no rights, or a folder where a file was meant
    Other,
};

struct FileStatus {
    FileFault fault = FileFault::None;
    uint32_t code = 0;  // the platform's error code (Win32 error or errno); 0 on success

    bool ok() const { return fault == FileFault::None; }
};

enum class FileKind : uint8_t { Missing, File, ReadOnlyFile, Folder };

enum class ReadSharing : uint8_t {
    WithSaves,   // others may read it, and saves may rename over it meanwhile
    WithAnyone,  // besides, others may hold it open for writing, or open it so meanwhile
};

// A local calendar time, to the second.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class FilePort {
public:
    virtual ~FilePort() = default;

    virtual FileStatus ReadAll(const FilePath& path, ReadSharing sharing, std::string& bytes) = 0;
    // Creates the file only when no file has that name, writes all bytes and flushes them to
    // disk; on failure nothing of it is left. Permissions are those of `permissionsOf` when
    // that file exists.
    virtual FileStatus CreateNew(const FilePath& path, std::string_view bytes,
                                 const FilePath& permissionsOf) = 0;
    // One rename within a folder; with `replace` an existing target is replaced atomically,
    // without it an existing target fails the rename as NameTaken.
    virtual FileStatus Rename(const FilePath& from, const FilePath& to, bool replace) = 0;
    virtual FileStatus Remove(const FilePath& path) = 0;
    virtual FileKind KindOf(const FilePath& path) = 0;
    // Where writing to the path lands: a symbolic link is followed to its target (which may
    // not exist yet); any other path is returned as it is.
    virtual FilePath FollowLinks(const FilePath& path) = 0;

    // The code this platform uses for a refused write, for refusals the store decides itself.
    virtual uint32_t DeniedCode() const = 0;
    // The system's own words for an error code, UTF-8, without a final line break.
    virtual std::string DescribeError(uint32_t code) const = 0;

    // Unique among the processes running now, for names of temporary files.
    virtual std::u16string ProcessTag() const = 0;
    virtual LocalTime Now() const = 0;
    virtual void Pause(unsigned milliseconds) = 0;
};

// The few file operations the rule store needs, each reporting the platform's own error code.
// One implementation talks to Win32, one to POSIX; tests put a fake in their place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Paths are UTF-16, as the module keeps every text. A port maps them to the system's own
// names without loss: the POSIX port carries each byte of a name that is not UTF-8 as one
// code unit U+DC80..U+DCFF.
using FilePath = std::u16string;

// The most bytes a read takes: no rule file or CSV comes near it, and a larger file (or a
// stream that goes on) is refused as TooLarge instead of filling the memory.
constexpr uint64_t kMostFileBytes = uint64_t{256} << 20;

// What the store must tell apart to decide its next step; the code says the rest.
enum class FileFault : uint8_t {
    None,
    NotFound,   // the file (or a folder on its path) does not exist
    NameTaken,  // a file of that name exists where a new one was to be created
    InUse,      // another program holds the file open in a way that blocks the operation
    Denied,     // read-only, no rights, or a folder where a file was meant
    NotAFile,   // a device or socket to read, or anything but a file to replace
    TooLarge,   // more than kMostFileBytes to read
    LinkLoop,   // a symbolic link on the path leads back to itself
    Other,
};

struct FileStatus {
    FileFault fault = FileFault::None;
    // The platform's error code (Win32 error or errno); 0 on success and for a fault judged
    // from the file's kind rather than told by the system (NotAFile; LinkLoop by KindOf).
    uint32_t code = 0;
    // With TooLarge: the file's size; 0 when it was a stream (or a file growing while it was
    // read) that went on past the bound.
    uint64_t size = 0;

    bool ok() const { return fault == FileFault::None; }
};

// Links are followed. Special is anything else that exists: a device, a FIFO, a socket.
enum class FileKind : uint8_t { Missing, File, ReadOnlyFile, Folder, Special, LinkLoop };

// Which file a path names, links followed: two names of one file have the same identity.
struct FileIdentity {
    uint64_t volume = 0;  // the device (POSIX) or the volume's serial number (Windows)
    uint64_t file = 0;    // the inode or the file index on that volume

    bool operator==(const FileIdentity&) const = default;
};

struct FileInfo {
    FileIdentity identity;
    int64_t modified = 0;  // last written, in seconds since 1970-01-01 UTC
};

enum class ReadSharing : uint8_t {
    WithSaves,  // others may read it, and saves may rename over it meanwhile
    // As WithSaves, and others may hold it open for writing too: a spreadsheet with the CSV
    // open, or an editor or a backup program with the rule file open at a load.
    WithWriters,
};

// A local calendar time, to the second.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// An append in progress, on a file held against other writers until it ends: what the file
// holds so far, and the bytes to add, written in as many pieces as the caller likes.
class AppendTarget {
public:
    virtual uint64_t size() const = 0;
    // Up to `count` bytes of what the file held when the append began, from `offset`.
    virtual FileStatus ReadAt(uint64_t offset, size_t count, std::string& bytes) = 0;
    // Adds the bytes at the end; the append flushes them when it ends.
    virtual FileStatus Write(std::string_view bytes) = 0;

protected:
    ~AppendTarget() = default;
};
using AppendPieces = std::function<FileStatus(AppendTarget& file)>;

// A file read from its start in pieces, however large.
class ReadStream {
public:
    virtual ~ReadStream() = default;
    // Up to `capacity` bytes into `buffer`; `got` 0 at the end.
    virtual FileStatus Read(char* buffer, size_t capacity, size_t& got) = 0;
    // Passes over the next `count` bytes without reading them; past the end, reads get 0.
    virtual FileStatus Skip(uint64_t count) = 0;
};

class FilePort {
public:
    virtual ~FilePort() = default;

    // The whole file, at most kMostFileBytes. A pipe is read to its end, without waiting for
    // a writer that has not opened it; a device or socket is refused as NotAFile.
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
    // Adds bytes at the end of a file, made when missing: the file is held against other
    // writers (InUse for them meanwhile) while `write` reads what it holds and adds its bytes
    // piece by piece; they are flushed to disk when it ends. What `write` returns is the
    // append's outcome (a failed write's status, or the writer's own).
    virtual FileStatus AppendInPieces(const FilePath& path, const AppendPieces& write) = 0;
    // Opens a file on a disk to be read in pieces, without bound on its size.
    virtual FileStatus OpenToRead(const FilePath& path, ReadSharing sharing,
                                  std::unique_ptr<ReadStream>& stream) = 0;
    // Makes the folder (not its parents); ok when a folder of that name is there already.
    virtual FileStatus MakeFolder(const FilePath& path) = 0;
    virtual FileKind KindOf(const FilePath& path) = 0;
    // Nothing when the path names no file that can be looked at.
    virtual std::optional<FileInfo> InfoOf(const FilePath& path) = 0;
    // Where writing to the path lands: a symbolic link is followed to its target (which may
    // not exist yet); any other path is returned as it is.
    virtual FilePath FollowLinks(const FilePath& path) = 0;
    // The paths of what a folder holds (its own and its parent's entries left out), in no
    // particular order: the folder's path, a separator and each name.
    virtual FileStatus ListFolder(const FilePath& folder, std::vector<FilePath>& entries) = 0;

    // A file name as a program is given it (POSIX: its bytes; Windows: its UTF-16 in the
    // three-byte form for lone surrogates) as a path, and back, both without loss.
    virtual FilePath PathFromName(std::string_view name) const = 0;
    virtual std::string NameOf(const FilePath& path) const = 0;

    // The code this platform uses for a refused write, for refusals the store decides itself.
    virtual uint32_t DeniedCode() const = 0;
    // The system's own words for an error code, UTF-8, without a final line break.
    virtual std::string DescribeError(uint32_t code) const = 0;

    // Unique among the processes running now, for names of temporary files.
    virtual std::u16string ProcessTag() const = 0;
    virtual LocalTime Now() const = 0;
    virtual void Pause(unsigned milliseconds) = 0;
};

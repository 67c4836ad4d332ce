// The file port of the system the program runs on: Win32 (SystemFilePort_win.cpp; paths too
// long for the plain file API go in their extended-length form) or POSIX
// (SystemFilePort_posix.cpp; paths go to the system as the bytes of the names given).
#pragma once

#include "platform/FilePort.h"

class SystemFilePort final : public FilePort {
public:
    // Reads stop at `mostBytes`.
    explicit SystemFilePort(uint64_t mostBytes = kMostFileBytes) : mostBytes_(mostBytes) {}

    FileStatus ReadAll(const FilePath& path, ReadSharing sharing, std::string& bytes) override;
    FileStatus CreateNew(const FilePath& path, std::string_view bytes,
                         const FilePath& permissionsOf) override;
    FileStatus Rename(const FilePath& from, const FilePath& to, bool replace) override;
    FileStatus Remove(const FilePath& path) override;
    FileStatus AppendInPieces(const FilePath& path, const AppendPieces& write) override;
    FileStatus OpenToRead(const FilePath& path, ReadSharing sharing,
                          std::unique_ptr<ReadStream>& stream) override;
    FileStatus MakeFolder(const FilePath& path) override;
    FileKind KindOf(const FilePath& path) override;
    std::optional<FileInfo> InfoOf(const FilePath& path) override;
    FilePath FollowLinks(const FilePath& path) override;
    FileStatus ListFolder(const FilePath& folder, std::vector<FilePath>& entries) override;
    FilePath PathFromName(std::string_view name) const override;
    std::string NameOf(const FilePath& path) const override;
    uint32_t DeniedCode() const override;
    std::string DescribeError(uint32_t code) const override;
    std::u16string ProcessTag() const override;
    LocalTime Now() const override;
    void Pause(unsigned milliseconds) override;

private:
    uint64_t mostBytes_;
};

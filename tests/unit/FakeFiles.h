// A folder in memory behind the file port, for the tests of what writes through it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "journal/JournalReader.h"
#include "platform/FilePort.h"
#include "platform/TextEncoding.h"

inline std::string Narrow(const FilePath& path) {
    return Utf8FromUtf16(path, SurrogateForm::Replaced);
}

// A folder in memory. Each operation that changes something counts as one step; the step
// numbered `failAt` fails with `failure`, and so do the next `failTimes - 1` steps.
class FakeFiles final : public FilePort {
public:
    struct Entry {
        std::string bytes;
        FileKind kind = FileKind::File;
        int64_t modified = 0;  // as InfoOf tells it
    };
    std::map<FilePath, Entry> entries;
    int failAt = -1;
    int failTimes = 1;
    FileStatus failure{FileFault::Other, 5};
    std::map<FilePath, FilePath> links;  // what FollowLinks gives for a name
    int steps = 0;
    int pauses = 0;
    int reads = 0;
    int changeAt = -1;  // before this step, another writer saves `changed`
    std::pair<FilePath, std::string> changed;

    std::set<FilePath> unreadable;  // files that are there but cannot be read

    FileStatus ReadAll(const FilePath& path, ReadSharing, std::string& bytes) override {
        ++reads;
        if (auto failed = Step()) return *failed;
        if (unreadable.contains(path)) return {FileFault::Other, 23};
        const auto found = entries.find(path);
        if (found == entries.end()) return {FileFault::NotFound, 2};
        if (found->second.kind == FileKind::Folder) return {FileFault::Denied, 13};
        bytes = found->second.bytes;
        return {};
    }
    FileStatus CreateNew(const FilePath& path, std::string_view bytes, const FilePath&) override {
        if (auto failed = Step()) return *failed;
        if (entries.contains(path)) return {FileFault::NameTaken, 17};
        entries[path] = {std::string(bytes)};
        return {};
    }
    FileStatus Rename(const FilePath& from, const FilePath& to, bool replace) override {
        if (auto failed = Step()) return *failed;
        if (held.contains(from)) return {FileFault::InUse, 32};
        if (!entries.contains(from)) return {FileFault::NotFound, 2};
        if (!replace && entries.contains(to)) return {FileFault::NameTaken, 17};
        entries[to] = entries[from];
        entries.erase(from);
        return {};
    }
    FileStatus Remove(const FilePath& path) override {
        entries.erase(path);
        return {};
    }
    // A write fails once `appendBudget` bytes have been written (a full disk), leaving what
    // was written before it.
    int64_t appendBudget = -1;
    std::set<FilePath> held;  // files another program holds: appends and renames are refused
    FileStatus AppendInPieces(const FilePath& path, const AppendPieces& write) override {
        if (auto failed = Step()) return *failed;
        if (held.contains(path)) return {FileFault::InUse, 32};
        Entry& entry = entries[path];
        if (entry.kind == FileKind::Folder) return {FileFault::Denied, 13};
        class Target final : public AppendTarget {
        public:
            Target(std::string& bytes, int64_t& budget)
                : bytes_(bytes), budget_(budget), size_(bytes.size()) {}
            uint64_t size() const override { return size_; }
            FileStatus ReadAt(uint64_t offset, size_t count, std::string& out) override {
                out = offset < size_
                          ? bytes_.substr(offset, std::min<uint64_t>(count, size_ - offset))
                          : std::string();
                return {};
            }
            FileStatus Write(std::string_view more) override {
                if (budget_ >= 0 && static_cast<int64_t>(more.size()) > budget_) {
                    bytes_.append(more.substr(0, static_cast<size_t>(budget_)));
                    budget_ = 0;
                    return {FileFault::Other, 28};
                }
                if (budget_ >= 0) budget_ -= static_cast<int64_t>(more.size());
                bytes_.append(more);
                return {};
            }

        private:
            std::string& bytes_;
            int64_t& budget_;
            uint64_t size_;
        } target(entry.bytes, appendBudget);
        return write(target);
    }
    FileStatus OpenToRead(const FilePath& path, ReadSharing sharing,
                          std::unique_ptr<ReadStream>& stream) override {
        std::string bytes;
        const FileStatus read = ReadAll(path, sharing, bytes);
        if (!read.ok()) return read;
        stream = MemoryStream(std::move(bytes));
        return {};
    }
    FileStatus MakeFolder(const FilePath& path) override {
        if (auto failed = Step()) return *failed;
        Entry& entry = entries[path];
        entry.kind = FileKind::Folder;
        return {};
    }
    FileKind KindOf(const FilePath& path) override {
        const auto found = entries.find(path);
        return found == entries.end() ? FileKind::Missing : found->second.kind;
    }
    std::optional<FileInfo> InfoOf(const FilePath& path) override {
        const auto found = entries.find(path);
        if (found == entries.end()) return std::nullopt;
        const auto index = static_cast<uint64_t>(std::distance(entries.begin(), found));
        return FileInfo{{1, index + 1}, found->second.modified};
    }
    FilePath FollowLinks(const FilePath& path) override {
        const auto link = links.find(path);
        return link == links.end() ? path : link->second;
    }
    // What lies directly in the folder, its entries named with a backslash.
    FileStatus ListFolder(const FilePath& folder, std::vector<FilePath>& listed) override {
        if (KindOf(folder) != FileKind::Folder) return {FileFault::NotFound, 2};
        const FilePath prefix = folder + u'\\';
        for (const auto& entry : entries) {
            const FilePath& path = entry.first;
            if (path.starts_with(prefix) && path.find(u'\\', prefix.size()) == FilePath::npos) {
                listed.push_back(path);
            }
        }
        return {};
    }
    FilePath PathFromName(std::string_view name) const override {
        return Utf16FromUtf8Replacing(name, SurrogateForm::ThreeBytes).text;
    }
    std::string NameOf(const FilePath& path) const override { return Narrow(path); }
    uint32_t DeniedCode() const override { return 13; }
    std::string DescribeError(uint32_t code) const override { return std::to_string(code); }
    std::u16string ProcessTag() const override { return u"7"; }
    LocalTime Now() const override { return {2026, 3, 4, 5, 6, 7}; }
    void Pause(unsigned) override { ++pauses; }

    std::optional<std::string> Bytes(const FilePath& path) const {
        const auto found = entries.find(path);
        if (found == entries.end()) return std::nullopt;
        return found->second.bytes;
    }
    std::map<FilePath, std::string> Files() const {
        std::map<FilePath, std::string> files;
        for (const auto& [path, entry] : entries) files[path] = entry.bytes;
        return files;
    }

private:
    std::optional<FileStatus> Step() {
        const int step = steps++;
        if (step == changeAt) entries[changed.first].bytes = changed.second;
        if (failAt >= 0 && step >= failAt && step < failAt + failTimes) return failure;
        return std::nullopt;
    }
};

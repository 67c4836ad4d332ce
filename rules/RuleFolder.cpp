#include "rules/RuleFolder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/TextEncoding.h"

FilePath JournalFolderIn(std::u16string_view ruleFolder) {
    return PathInFolder(ruleFolder, kJournalFolderName);
}

FilePath SeatJournalPath(std::u16string_view ruleFolder, std::u16string_view computer) {
    return JournalFolderIn(ruleFolder) + u"\\" + std::u16string(computer) + u".csv";
}

std::u16string LocalCopyNameFor(const FilePath& ruleFile, CopyOrigin origin) {
    uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
    for (char16_t c : ruleFile) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c == u'/') c = u'\\';
        for (const unsigned byte : {c & 0xFFu, static_cast<unsigned>(c) >> 8}) {
            hash = (hash ^ byte) * 0x100000001b3u;
        }
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return Utf16FromAscii(name) + (origin == CopyOrigin::Saved ? u".saved.def" : u".def");
}

namespace {

std::optional<LocalRuleCopy> CopyAt(FilePort& files, FilePath path, CopyOrigin origin) {
    if (files.KindOf(path) != FileKind::File) return std::nullopt;
    const std::optional<FileInfo> info = files.InfoOf(path);
    return LocalRuleCopy{std::move(path), origin,
                         info ? std::optional(info->modified) : std::nullopt};
}

// The later of two copies; the first when neither is later.
bool IsLater(const LocalRuleCopy& copy, const std::optional<LocalRuleCopy>& than) {
    return !than || copy.modified.value_or(INT64_MIN) > than->modified.value_or(INT64_MIN);
}

}  // namespace

std::optional<LocalRuleCopy> StandInCopy(FilePort& files, const FilePath& copyFolder,
                                         const RuleLocation& location) {
    if (copyFolder.empty() || !location.configured()) return std::nullopt;
    std::optional<LocalRuleCopy> newest;
    if (location.usable()) {
        for (const CopyOrigin origin : {CopyOrigin::Read, CopyOrigin::Saved}) {
            auto copy =
                CopyAt(files, copyFolder + u'\\' + LocalCopyNameFor(location.file, origin), origin);
            if (copy && IsLater(*copy, newest)) newest = std::move(copy);
        }
        return newest;
    }
    std::vector<FilePath> entries;
    if (!files.ListFolder(copyFolder, entries).ok()) return std::nullopt;
    std::ranges::sort(entries);
    constexpr std::u16string_view kSaved = u".saved.def";
    for (FilePath& path : entries) {
        if (!path.ends_with(u".def")) continue;
        const CopyOrigin origin = path.ends_with(kSaved) ? CopyOrigin::Saved : CopyOrigin::Read;
        auto copy = CopyAt(files, std::move(path), origin);
        if (copy && IsLater(*copy, newest)) newest = std::move(copy);
    }
    return newest;
}

namespace {

bool IsFile(FileKind kind) {
    return kind == FileKind::File || kind == FileKind::ReadOnlyFile;
}

}  // namespace

std::optional<FilePath> TableLeftBesideModule(FilePort& files, const RuleLocation& location,
                                              std::u16string_view moduleFolder) {
    if (!location.configured() || !location.usable()) return std::nullopt;
    if (files.KindOf(location.folder) != FileKind::Folder || IsFile(files.KindOf(location.file))) {
        return std::nullopt;
    }
    FilePath beside = PathInFolder(moduleFolder, kRuleFileName);
    if (!IsFile(files.KindOf(beside))) return std::nullopt;
    return beside;
}

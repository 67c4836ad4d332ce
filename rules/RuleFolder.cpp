#include "rules/RuleFolder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    // A value set with its quotes ("\\server\share\cam" typed with them) means what it quotes.
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

bool IsDriveRoot(std::u16string_view folder) {
    return folder.size() == 3 && folder[1] == u':' && IsSeparator(folder[2]);
}

std::u16string WithoutFinalSeparator(std::u16string_view folder) {
    while (folder.size() > 1 && IsSeparator(folder.back())) folder.remove_suffix(1);
    return std::u16string(folder);
}

// Final separators dropped, but a drive's root keeps its own ("C:\", since "C:" would mean
// the drive's current folder).
std::u16string FolderNamedBy(std::u16string_view value) {
    std::u16string_view folder = Trimmed(value);
    while (!folder.empty() && IsSeparator(folder.back()) && !IsDriveRoot(folder)) {
        folder.remove_suffix(1);
    }
    return std::u16string(folder);
}

RuleLocation LocationIn(RuleFolderSource source, std::u16string folder) {
    FilePath file = folder;
    if (file.empty() || !IsSeparator(file.back())) file += u'\\';
    file += kRuleFileName;
    RuleLocation location;
    location.source = source;
    location.folder = std::move(folder);
    location.file = std::move(file);
    return location;
}

std::u16string Ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

// "X:\..." or "\\server\share..." (also "\\?\..."); anything else leans on a current folder.
bool IsAbsolute(std::u16string_view folder) {
    const auto isLetter = [](char16_t c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    };
    if (folder.size() >= 3 && isLetter(folder[0]) && folder[1] == u':' && IsSeparator(folder[2])) {
        return true;
    }
    return folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1]);
}

// The first "%NAME%" in the text, or nothing.
std::u16string_view VariableLeftIn(std::u16string_view text) {
    const size_t open = text.find(u'%');
    if (open == std::u16string_view::npos) return {};
    const size_t close = text.find(u'%', open + 1);
    if (close == std::u16string_view::npos || close == open + 1) return {};
    return text.substr(open, close - open + 1);
}

RuleLocation LocationFrom(RuleFolderSource source, const RuleFolderValue& value) {
    RuleLocation location{source, {}, {}, RuleFolderFault::None, value, {}};
    if (!value.IsText()) {
        location.fault = RuleFolderFault::NotText;
        return location;
    }
    std::u16string folder = FolderNamedBy(value.expanded);
    if (folder.empty()) {
        location.fault = RuleFolderFault::Empty;
    } else if (const std::u16string_view variable = VariableLeftIn(folder); !variable.empty()) {
        location.fault = RuleFolderFault::UnexpandedVariable;
        location.variable = variable;
    } else if (!IsAbsolute(folder)) {
        location.fault = RuleFolderFault::Relative;
    }
    if (location.fault != RuleFolderFault::None) {
        location.folder = std::move(folder);
        return location;
    }
    RuleLocation usable = LocationIn(source, std::move(folder));
    usable.value = value;
    return usable;
}

}  // namespace

RuleLocation ChooseRuleLocation(const RuleFolderValues& values, std::u16string_view moduleFolder) {
    const std::optional<SettingRoot> root = DecidingRoot(values);
    if (!root) return LocationIn(RuleFolderSource::ModuleFolder, std::u16string(moduleFolder));
    if (*root == SettingRoot::Machine)
        return LocationFrom(RuleFolderSource::Machine, *values.machine);
    return LocationFrom(RuleFolderSource::User, *values.user);
}

std::u16string RuleFolderSettingName(RuleFolderSource source) {
    switch (source) {
        case RuleFolderSource::Machine:
            return SettingFullName(SettingRoot::Machine, kRuleFolderSetting);
        case RuleFolderSource::User:
            return SettingFullName(SettingRoot::User, kRuleFolderSetting);
        case RuleFolderSource::ModuleFolder:
            break;
    }
    return {};
}

FilePath JournalFolderIn(std::u16string_view ruleFolder) {
    return WithoutFinalSeparator(ruleFolder) + u"\\" + kJournalFolderName;
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
    return Ascii(name) + (origin == CopyOrigin::Saved ? u".saved.def" : u".def");
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

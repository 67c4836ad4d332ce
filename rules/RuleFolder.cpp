#include "rules/RuleFolder.h"

#include <cstdio>
#include <utility>

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

// Final separators dropped, but a drive's root keeps its own ("C:\", since "C:" would mean
// the drive's current folder).
std::u16string FolderOf(std::u16string_view value) {
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
    return {source, std::move(folder), std::move(file)};
}

}  // namespace

RuleLocation ChooseRuleLocation(const RuleFolderValues& values, std::u16string_view moduleFolder) {
    for (const auto& [value, source] : {std::pair{&values.machine, RuleFolderSource::Machine},
                                        std::pair{&values.user, RuleFolderSource::User}}) {
        if (!*value) continue;
        std::u16string folder = FolderOf(**value);
        if (!folder.empty()) return LocationIn(source, std::move(folder));
    }
    return LocationIn(RuleFolderSource::ModuleFolder, std::u16string(moduleFolder));
}

std::u16string LocalCopyNameFor(const FilePath& ruleFile) {
    uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
    for (char16_t c : ruleFile) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c == u'/') c = u'\\';
        for (const unsigned byte : {c & 0xFFu, static_cast<unsigned>(c) >> 8}) {
            hash = (hash ^ byte) * 0x100000001b3u;
        }
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.def", static_cast<unsigned long long>(hash));
    return std::u16string(name, name + std::char_traits<char>::length(name));
}

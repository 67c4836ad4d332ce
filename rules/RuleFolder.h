// Where the module keeps its rule file: in a folder the seat's administrator or its user
// names in the registry (a shared folder, so that every seat of a shop uses one table), or
// else beside the module.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FilePort.h"

inline constexpr char16_t kRuleFileName[] = u"Quillet.def";

enum class RuleFolderSource : uint8_t {
    Machine,       // the value under the machine's key
    User,          // the value under the user's key
    ModuleFolder,  // no value: the module's own folder
};

// The "RuleFolder" values as read, environment variables expanded; nullopt where there is
// none.
struct RuleFolderValues {
    std::optional<std::u16string> machine;
    std::optional<std::u16string> user;
};

struct RuleLocation {
    RuleFolderSource source = RuleFolderSource::ModuleFolder;
    std::u16string folder;  // without a final backslash, except for a drive's root
    FilePath file;          // the rule file in that folder

    // Named in the registry, and so possibly on a share that can be out of reach.
    bool configured() const { return source != RuleFolderSource::ModuleFolder; }
};

// The machine's value wins over the user's, which wins over the module's folder. A value
// that is empty, or blank, or only quotes or backslashes, counts as no value.
RuleLocation ChooseRuleLocation(const RuleFolderValues& values, std::u16string_view moduleFolder);

// A file name for this user's own copy of a configured folder's rule file, the same for
// every spelling of the path that differs only in ASCII letter case.
std::u16string LocalCopyNameFor(const FilePath& ruleFile);

// The paths in the rule folder beside the rule file (the seats' journals) and this user's own
// copies of a folder's rule file, which a load stands in with while the folder is out of
// reach. Where the rule file is comes from the settings (settings/Settings.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FilePort.h"
#include "settings/Settings.h"

inline constexpr char16_t kJournalFolderName[] = u"journal";

// "<folder>\journal": where the seats that share the rule folder keep their journals.
FilePath JournalFolderIn(std::u16string_view ruleFolder);
// "<folder>\journal\<computer>.csv": one file per seat, so that seats never write the same
// file.
FilePath SeatJournalPath(std::u16string_view ruleFolder, std::u16string_view computer);

// Whose table a local copy holds: the file last read from the folder, or this seat's last
// save to it.
enum class CopyOrigin : uint8_t { Read, Saved };

// A file name for this user's own copy of a configured folder's rule file, the same for
// every spelling of the path that differs only in ASCII letter case: "<hash>.def", or
// "<hash>.saved.def" for a copy of this seat's own save.
std::u16string LocalCopyNameFor(const FilePath& ruleFile, CopyOrigin origin = CopyOrigin::Read);

// A copy of a rule folder's file in this user's own folder of copies (%LOCALAPPDATA%\Quillet
// on Windows), as a load finds it.
struct LocalRuleCopy {
    FilePath path;
    CopyOrigin origin = CopyOrigin::Read;
    std::optional<int64_t> modified;  // last written, in seconds since 1970-01-01 UTC
};

// The copy a load stands in with while the location's folder is out of reach: the newer of the
// location's two copies (the copy of the file read when both carry the same second, since a
// save's copy removes that one); for a setting that cannot be used, the newest copy of any
// folder. Nothing for the module's own folder, or when there is no copy.
std::optional<LocalRuleCopy> StandInCopy(FilePort& files, const FilePath& copyFolder,
                                         const RuleLocation& location);

// The rule file a seat moved to a rule folder leaves beside the module: the module's own
// Quillet.def while the folder named in the registry is reached and holds none, so that the
// seat would start with no rules although its table is still there. Nothing otherwise (no
// folder named, a value that cannot be used, a folder out of reach or with a rule file of
// its own, no rule file beside the module).
std::optional<FilePath> TableLeftBesideModule(FilePort& files, const RuleLocation& location,
                                              std::u16string_view moduleFolder);

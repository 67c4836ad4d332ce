// Where the module keeps its rule file: in a folder the seat's administrator or its user
// names in the registry (a shared folder, so that every seat of a shop uses one table), or
// else beside the module.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FilePort.h"
#include "settings/Settings.h"

inline constexpr char16_t kRuleFileName[] = u"Quillet.def";
inline constexpr char16_t kJournalFolderName[] = u"journal";

enum class RuleFolderSource : uint8_t {
    Machine,       // the value under the machine's key
    User,          // the value under the user's key
    ModuleFolder,  // no value: the module's own folder
};

// A "RuleFolder" value as the registry holds it, and both roots' values.
using RuleFolderValue = SettingValue;
using RuleFolderValues = SettingValues;

// Why a value cannot name the rule folder.
enum class RuleFolderFault : uint8_t {
    None,
    NotText,             // another registry type (REG_DWORD, REG_MULTI_SZ, ...)
    Empty,               // empty, blank, or only quotes or backslashes
    Relative,            // "cam", "C:cam", "\cam": it would depend on the host's current folder
    UnexpandedVariable,  // a %NAME% left in it: not defined, or a REG_SZ value
};

struct RuleLocation {
    RuleFolderSource source = RuleFolderSource::ModuleFolder;
    std::u16string folder;  // without a final backslash, except for a drive's root
    FilePath file;          // the rule file in that folder; empty when the value cannot be used
    RuleFolderFault fault = RuleFolderFault::None;
    RuleFolderValue value;    // the value that chose the folder, as the registry holds it
    std::u16string variable;  // UnexpandedVariable: the first "%NAME%" left

    // Named in the registry, and so possibly on a share that can be out of reach.
    bool configured() const { return source != RuleFolderSource::ModuleFolder; }
    // A value that cannot be used is a folder out of reach, never "no setting".
    bool usable() const { return fault == RuleFolderFault::None; }
};

// The machine's value wins over the user's (DecidingRoot), which wins over the module's
// folder; a value that is there wins whatever it holds, also when it cannot be used.
RuleLocation ChooseRuleLocation(const RuleFolderValues& values, std::u16string_view moduleFolder);

// "HKLM\SOFTWARE\Ferrimount\KEP\Quillet\RuleFolder" for a configured location.
std::u16string RuleFolderSettingName(RuleFolderSource source);

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

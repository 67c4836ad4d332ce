// quillet-rules: check, map, explain, diff, export and import rule tables with the module's own
// reader, writer and rule code. Text for people is Korean; --json gives one JSON document.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

#include "platform/FilePort.h"
#include "rules/RuleFolder.h"

// The module on this computer as `where` and `journal` see it.
struct Seat {
    RuleFolderValues values;  // the RuleFolder values under both roots, as the registry holds them
    RuleLocation location;    // ChooseRuleLocation(values, the module's folder)
    FilePath copyFolder;      // this user's copies of rule folders' files; empty when unknown
    FilePath moduleFolder = FilePath();  // the module's folder, where it keeps rules unset
};

// 0: nothing above info; 1: warnings; 2: errors; 3: a file cannot be read or written;
// 4: the command line is wrong.
enum ExitStatus : int {
    kExitClean = 0,
    kExitWarnings = 1,
    kExitErrors = 2,
    kExitFileFailed = 3,
    kExitUsage = 4,
};

// `args` are the arguments after the program name, UTF-8. Reports go to `out`; diagnostics
// to `err`, except that with --json every outcome is one JSON document on `out`. Text for
// people shows control characters escaped; so does a CSV printed when `outIsTerminal`.
// Files are read and written through `files`. `seat` is the module on this computer, for
// `where` and `journal`; null where the program cannot tell (off Windows).
int RunWorkbench(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                 FilePort& files, bool outIsTerminal = false, const Seat* seat = nullptr);

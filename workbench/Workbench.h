// quillet-rules: check, map, explain, diff, export and import rule tables with the module's own
// reader, writer and rule code. Text for people is Korean; --json gives one JSON document.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

#include "platform/FilePort.h"
#include "rules/RuleFolder.h"

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
// Files are read and written through `files`. `seat` is where the module on this computer
// keeps its rule file, for `where`; null where the program cannot tell (off Windows).
int RunWorkbench(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                 FilePort& files, bool outIsTerminal = false, const RuleLocation* seat = nullptr);

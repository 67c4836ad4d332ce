// quillet-rules journal [FILE...] [--since DATE] [--until DATE] [--rule N] [--computer NAME]
// [--user NAME] [--hole N] [--code N] [--action A] [--details] [--json | --csv]: the acts the
// journals record (rewrites, undos, saves of the rule file), one line per act, read as streams
// from journal files or from the per-seat files of a rule folder's journal folder and those
// rolled over from them, together in time order.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

#include "platform/FilePort.h"
#include "rules/RuleFolder.h"

// `args` are those after "journal". Exit status as RunWorkbench's; `seat`, when it names a
// configured rule folder, is where the journal is looked for when no FILE is given.
// Files are read through `files`, named as the program was given them.
int RunJournalCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                      FilePort& files, bool outIsTerminal, const RuleLocation* seat);

// "CAM1" for "CAM1.csv" and for "CAM1-20240501-140307.csv" (rolled over from it): the files
// of one seat, read one after the other.
std::string JournalStemOf(std::string_view fileName);

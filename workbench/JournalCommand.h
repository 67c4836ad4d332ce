// quillet-rules journal [FILE...] [--since DATE] [--hole N] [--details] [--json | --csv]:
// the rewrites and undos that journals record, one line per act, read from journal files or
// from the per-seat files of a rule folder's journal folder, together in time order.
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

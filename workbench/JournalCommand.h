// quillet-rules journal [FILE...] [--since DATE] [--hole N] [--details] [--json | --csv]:
// the rewrites and undos that journals record, one line per act, read from journal files or
// from the per-seat files of a rule folder's journal folder, together in time order.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

#include "rules/RuleFolder.h"

// The largest journal file read; a larger one is refused (exit 3) rather than read whole.
inline constexpr uintmax_t kMaxJournalBytes = uintmax_t{256} << 20;

// `args` are those after "journal". Exit status as RunWorkbench's; `seat`, when it names a
// configured rule folder, is where the journal is looked for when no FILE is given.
int RunJournalCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                      bool outIsTerminal, const RuleLocation* seat);

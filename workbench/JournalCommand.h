// quillet-rules journal [FILE...] [--since DATE] [--until DATE] [--rule N] [--computer NAME]
// [--user NAME] [--hole N] [--code N] [--action A] [--details] [--json | --csv]: the acts the
// journals record (rewrites, undos, saves of the rule file), one line per act, read as streams
// from journal files or from the per-seat files of a rule folder's journal folder and those
// rolled over from them, together in time order. The command runs as RunJournal
// (WorkbenchCommands.h), its options read by the table of commands (CommandTable.cpp).
#pragma once

#include <string>
#include <string_view>

// "CAM1" for "CAM1.csv" and for "CAM1-20240501-140307.csv" (rolled over from it): the files
// of one seat, read one after the other.
std::string JournalStemOf(std::string_view fileName);

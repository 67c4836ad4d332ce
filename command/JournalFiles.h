// Appending one act's rows to the journal files: the seat's own journal and its file in the
// rule folder's journal folder (SeatJournalPath, rules/RuleFolder.h).
#pragma once

#include <span>
#include <string_view>

#include "command/RewriteJournal.h"
#include "platform/FilePort.h"

inline constexpr char16_t kLocalJournalName[] = u"journal.csv";

// Appends the act's rows (JournalBytesToAppend over what the file holds) in one write, flushed.
// A file another writer holds for a moment is waited for (10 rounds, 20 ms apart). Nothing is
// written, and ok is returned, for an act without steps.
FileStatus AppendToJournal(FilePort& port, const FilePath& path, const JournalAct& act,
                           std::span<const HoleChange> holes);

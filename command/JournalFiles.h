// Appending one act's rows to the journal files: the seat's own journal and its file in the
// rule folder's journal folder, one file per seat so that seats never write the same file.
#pragma once

#include <span>
#include <string_view>

#include "command/RewriteJournal.h"
#include "platform/FilePort.h"

inline constexpr char16_t kJournalFolderName[] = u"journal";
inline constexpr char16_t kLocalJournalName[] = u"journal.csv";

// "<folder>\journal".
FilePath JournalFolderIn(std::u16string_view ruleFolder);
// "<folder>\journal\<computer>.csv".
FilePath SeatJournalPath(std::u16string_view ruleFolder, std::u16string_view computer);

// Appends the act's rows (JournalBytesToAppend over what the file holds) in one write, flushed.
// A file another writer holds for a moment is waited for (10 rounds, 20 ms apart). Nothing is
// written, and ok is returned, for an act without steps.
FileStatus AppendToJournal(FilePort& port, const FilePath& path, const JournalAct& act,
                           std::span<const HoleChange> holes);

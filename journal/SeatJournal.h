// The journals of one seat. Its own journal (%LOCALAPPDATA%\Quillet\journal.csv) is the
// record; its file in the rule folder's journal folder is brought up to date from it: an act
// that could not reach that file is owed to it (journal.owed beside the own journal, by act
// id) and appended, in order and once, before the next act that reaches it. An act the own
// journal could not take waits in a pending file beside it (journal.pending.csv) and is taken
// into the journal first the next time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "journal/JournalStore.h"
#include "platform/FilePort.h"

struct SeatJournals {
    FilePath own;                  // empty: this user has no folder of their own
    FilePath shared;               // empty: no rule folder is configured
    FilePath sharedFolder;         // the journal folder that holds `shared`, made when missing
    bool sharedReachable = false;  // the rule folder could be reached
};

// The rules in force, kept by content beside each journal that an act names them in.
struct TableToKeep {
    std::string sha256;
    std::string bytes;
};

// Where an act waits that a journal could not take.
enum class ActWaits : uint8_t {
    InOwnJournal,  // owed to the rule folder's journal
    InPending,     // the own journal's pending file
    Lost,          // nowhere: neither the own journal nor its pending file took it
};

struct JournalMiss {
    FilePath path;  // the journal that did not take the act
    FileStatus status;
    ActWaits waits = ActWaits::Lost;
    FilePath waitsIn;  // the file that holds it meanwhile
};

FilePath PendingPathBeside(const FilePath& ownJournal);
FilePath OwedPathBeside(const FilePath& ownJournal);

// Records one act in the seat's journals, after what waits from before. The misses are of
// this act; an act without rows that left no holes is written nowhere and misses nothing.
std::vector<JournalMiss> RecordAct(FilePort& port, const SeatJournals& journals,
                                   const JournalAct& act, const JournalActRows& rows,
                                   const TableToKeep& table, const JournalLimits& limits = {});

// At a start: the pending acts into the own journal, the owed ones into the rule folder's.
// Ok when nothing waits any more, else the status of the journal still behind.
FileStatus CatchUpJournals(FilePort& port, const SeatJournals& journals,
                           const JournalLimits& limits = {});

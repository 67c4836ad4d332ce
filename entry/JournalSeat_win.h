// This seat as the journal names it (user, computer, now) and its journals: this user's own
// and the seat's file in the rule folder's journal folder; and what the user is told of an act
// a journal could not take.
#pragma once

#include <vector>

#include "journal/SeatJournal.h"
#include "platform/FilePort.h"
#include "rules/RuleFolder.h"

// Now, with the offset of this seat's clock from UTC at this moment.
Timestamp SeatClockNow();

// An act of this user on this computer, now, with a fresh id.
JournalAct ActOfThisSeat(JournalAction action);

// %LOCALAPPDATA%\Quillet\journal.csv, and with a rule folder configured
// <rule folder>\journal\<computer>.csv (reachable or not: an act owed to it waits).
SeatJournals JournalsOfThisSeat(FilePort& files, const RuleLocation& location);

// Once per act: each journal that missed it and where the act waits meanwhile. A rule folder
// out of reach is not told again here: the load has said so, and its acts wait for it.
void TellJournalMisses(const std::vector<JournalMiss>& misses);

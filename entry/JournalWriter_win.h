// The journal written behind the command: an act's rows go to the seat's journals on a thread
// of their own, so that the host is not held while a large rewrite's rows reach the disk, or
// while a journal another program holds is waited for. One act at a time: the next act, the
// next catch-up and the command's end first wait for the act in hand, and only then is the
// user told what its journals missed.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "command/HoleChange.h"
#include "journal/SeatJournal.h"
#include "platform/Handles_win.h"

class JournalWriter {
public:
    JournalWriter() = default;
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    // Tells nothing: the module is being unloaded, and an act still in hand at the process's
    // end is left to the reader, which shows it as cut.
    ~JournalWriter();

    // What is done with an act's changes once they are written, by the thread that wrote them
    // (even when no journal took the act).
    using Afterwards = std::function<void(std::vector<HoleChange> holes)>;

    // After the act in hand, records this one (its rows one per step of `holes`) behind the
    // caller; written in the calling thread when no thread can be started.
    void Record(SeatJournals journals, JournalAct act, TableToKeep table,
                std::vector<HoleChange> holes, Afterwards afterwards = {});
    // Waits for the act in hand, if any, and tells what its journals missed.
    void Finish();

    // What the writing thread takes and hands back.
    struct Act {
        SeatJournals journals;
        JournalAct act;
        TableToKeep table;
        std::vector<HoleChange> holes;
        Afterwards afterwards;
        HMODULE module = nullptr;  // held while the thread runs, so that an unload waits for it
        std::vector<JournalMiss> misses;
        bool unwritten = false;
    };

private:
    std::unique_ptr<Act> act_;
    UniqueResource<KernelHandleTraits> thread_;
};

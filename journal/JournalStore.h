// Appending acts to one journal file through a file port: the file held against other writers
// for the whole act, so that acts of several processes never interleave; rows made straight
// into a bounded buffer and written in large pieces; the file rolled over before it would pass
// its limits, and an act longer than a file holds split into parts; a file another program
// holds waited for with growing pauses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "journal/JournalFormat.h"
#include "platform/FilePort.h"

// A spreadsheet's sheet holds 1,048,576 rows.
struct JournalLimits {
    uint64_t rows = 1'000'000;
    uint64_t bytes = uint64_t{128} << 20;
    size_t bufferBytes = size_t{1} << 20;
    // False: the file is never rolled over, however long it grows; an act is still split in
    // parts by the bounds above.
    bool rollOver = true;
};

// The rows of one act, for a writer to take in parts.
class JournalActRows {
public:
    virtual ~JournalActRows() = default;
    virtual uint64_t count() const = 0;
    // What the begin row of rows [from, to) says.
    virtual JournalActSummary Summary(uint64_t from, uint64_t to) const = 0;
    virtual void Write(uint64_t from, uint64_t to, JournalRowWriter& out) const = 0;
};

// Pauses between tries at a file another program holds: about 2 s in all.
inline constexpr unsigned kBusyPauses[] = {10, 20, 40, 80, 160, 320, 500, 870};

// Appends the act to the journal at `path` (made when missing, with the mark and the header),
// rolling the file over first when the act would take it past the limits. Nothing is written
// for an act without rows unless it left holes (`act.left`): then its begin and end rows. The
// status is that of the last try.
FileStatus AppendJournalAct(FilePort& port, const FilePath& path, const JournalAct& act,
                            const JournalActRows& rows, const JournalLimits& limits = {});

// Writes one unit of the file: the rows it adds (the begin and end rows with them), at most
// how many bytes, and how to write them given the file's count of rows before them.
struct JournalUnit {
    uint64_t rows = 0;
    uint64_t mostBytes = 0;
    std::function<bool(JournalRowWriter& out, uint64_t rowsBefore)> write;
    JournalAct act;  // whose prefix the writer keeps
};
FileStatus AppendJournalUnit(FilePort& port, const FilePath& path, const JournalUnit& unit,
                             const JournalLimits& limits);

// "<folder>\<stem>-<yyyymmdd-hhmmss>.csv" for the time of the file's first act (a number
// after it when that name is taken), renamed so; the journal itself is never removed.
FileStatus RollJournalOver(FilePort& port, const FilePath& path);
// Whether a name is of a journal rolled over from `stem` ("journal-20240501-140307.csv").
bool IsRolledJournalName(std::u16string_view name, std::u16string_view stem);

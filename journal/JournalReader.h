// Reading a journal as a stream, act by act and row by row, in memory bounded by the longest
// line whatever the file's size: the acts format and the first format alike.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "journal/JournalFormat.h"
#include "platform/FilePort.h"

// The lines of a stream, each without its line end. A line longer than kMostJournalLine is
// given as its first kMostJournalLine bytes with `tooLong`.
class JournalLines {
public:
    explicit JournalLines(std::unique_ptr<ReadStream> stream, size_t bufferBytes = size_t{1} << 20);

    struct Line {
        std::string_view text;  // valid until the next call
        int64_t number = 0;     // from 1
        uint64_t offset = 0;    // of its first byte in the stream
        bool ended = true;      // false: the stream ended without its line end
        bool tooLong = false;
    };
    // False at the end of the stream, or when it could not be read (status()).
    bool Next(Line& line);
    const FileStatus& status() const { return status_; }

private:
    bool Fill();

    std::unique_ptr<ReadStream> stream_;
    std::string buffer_;
    size_t start_ = 0, end_ = 0;
    std::string long_;
    int64_t number_ = 0;
    uint64_t consumed_ = 0;  // bytes of the stream before buffer_[start_]
    bool atEnd_ = false;
    FileStatus status_;
};

// The head of one act as read: its rows follow through JournalReader::NextRow.
struct JournalActHead {
    JournalAct act;
    JournalActSummary summary;
    bool summaryKnown = false;  // the acts format's begin row; the first format has none
    int64_t line = 0;           // of its first row
};

class JournalReader {
public:
    explicit JournalReader(std::unique_ptr<ReadStream> stream,
                           size_t bufferBytes = size_t{1} << 20);

    // Reads the header: false (with the problem NotAHeader) when the stream is not a journal.
    bool Open();
    JournalVersion version() const { return version_; }

    // The next act, its remaining rows passed over. False at the end.
    bool NextAct(JournalActHead& head);
    // The next row of the act NextAct gave; false after its last.
    bool NextRow(JournalRow& row, int64_t& line);
    // Once NextRow has said false: the act lacks its end row or some of its rows.
    bool ActCut() const { return cut_; }
    uint64_t rowsRead() const { return rowsRead_; }

    // Lines left out since the last call; a cut act is one of them (CutAct).
    std::vector<JournalProblem> TakeProblems();
    const FileStatus& status() const { return lines_.status(); }

private:
    bool ReadParsed();  // into next_, skipping lines that cannot be read
    void Problem(int64_t line, JournalFault fault, std::vector<std::string> values = {});
    bool SameAct(const JournalAct& a, const JournalAct& b) const;

    JournalLines lines_;
    JournalVersion version_ = JournalVersion::Acts;
    std::optional<JournalLine> next_;
    bool nextInAct_ = false;  // next_ is a step row read after the current act's shared prefix
    int64_t nextLine_ = 0;
    std::string nextPrefix_;  // of next_ when it is a begin row
    std::string prefix_;      // the current act's rows' shared prefix; empty: none
    bool inAct_ = false;
    bool cut_ = false;
    JournalActHead current_;
    uint64_t rowsRead_ = 0;
    std::vector<JournalProblem> problems_;
};

// A whole journal in memory, for tests and small files.
struct JournalFile {
    bool isJournal = true;
    struct Act {
        JournalActHead head;
        bool cut = false;
        std::vector<JournalRow> rows;
    };
    std::vector<Act> acts;
    std::vector<JournalProblem> problems;
};
JournalFile ReadJournal(std::string_view bytes);
std::unique_ptr<ReadStream> MemoryStream(std::string bytes);

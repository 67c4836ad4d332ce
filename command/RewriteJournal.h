// The journal of rewrites and undos: UTF-8 CSV with a byte-order mark, lines ending in CR LF,
// one row per changed step. Rows are only ever appended; this file makes the bytes to
// append and reads a journal back, the caller opens, appends and flushes.
//
// A field is quoted when it holds a comma, a quote or blanks at either end; a text that a
// spreadsheet would run as a formula (it starts with = + - @ TAB or CR and is not a plain
// number) is written behind an apostrophe, as the workbench's CSV does, and the reader takes
// it off. CR and LF inside a text become blanks, so every row is one line and a row cut short
// by a crash spoils only itself.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command/HoleChange.h"
#include "command/JournalTime.h"

inline constexpr std::string_view kJournalHeader =
    "time,user,computer,action,rewrite,rule_file,rule_file_sha256,hole,step,code,before,after,"
    "rules";

enum class JournalAction { Rewrite, Undo };
// "rewrite", "undo".
std::string_view JournalActionName(JournalAction action);

// What every row of one act shares. Texts are UTF-8. The rows of an undo carry the id of the
// rewrite they take back, so that a rewrite and its undo read together.
struct JournalAct {
    Timestamp time;
    std::string user;
    std::string computer;
    JournalAction action = JournalAction::Rewrite;
    std::string rewriteId;
    std::string ruleFile;
    std::string ruleFileSha256;  // of the rule file's bytes; empty when they were not read

    bool operator==(const JournalAct&) const = default;
};

// A fresh id for a rewrite: 16 lowercase hexadecimal digits from the system's random source.
std::string NewRewriteId();

// One CSV record of the journal's kind: the fields escaped as above, CR LF at the end.
std::string JournalCsvRecord(std::span<const std::string> fields);

// One row per step of the holes, each ending in CR LF.
std::string JournalRows(const JournalAct& act, std::span<const HoleChange> holes);

// What to append to a journal file of `fileSize` bytes that ends in `lastBytes` (its last
// three bytes, or all of a shorter file): the byte-order mark and the header line first for
// a new or empty file (the header alone after a lone mark), a line end first when the file's
// last row was cut short, then the rows. Nothing when there are no steps.
std::string JournalBytesToAppend(uint64_t fileSize, std::string_view lastBytes,
                                 const JournalAct& act, std::span<const HoleChange> holes);

// ---- Reading -----------------------------------------------------------------------------

struct JournalRow {
    size_t act;  // index into JournalFile::acts
    int line;    // of the file, from 1
    int32_t hole;
    int32_t step;
    int32_t code;
    double before;
    double after;
    std::vector<int32_t> rules;
};

// The fields of a journal row, as its header names them.
inline constexpr size_t kJournalColumns = 13;

// Why a line of a journal was left out; the code that shows it words it.
enum class JournalFault : uint8_t {
    NotAHeader,     // line 1 is not the journal's header: nothing more is read
    CutShort,       // the last line has no line end
    UnpairedQuote,  // a quoted field does not end where its field ends
    ColumnCount,    // values: the line's count of fields, not kJournalColumns
    Time,           // values: time, not an ISO 8601 time with a clock and an offset
    Action,         // values: action, neither "rewrite" nor "undo"
    HoleStepCode,   // values: hole, step, code, not whole numbers (the step from 1)
    BeforeAfter,    // values: before, after, not numbers
    Rules,          // values: rules, not a list of rule numbers
};

struct JournalProblem {
    int line;  // of the file, from 1
    JournalFault fault;
    std::vector<std::string> values;  // the fields at fault as the line holds them, UTF-8
};

struct JournalFile {
    bool isJournal = true;  // false: the first line is not the journal's header; no rows read
    std::vector<JournalAct> acts;          // in file order; consecutive rows of one act share one
    std::vector<JournalRow> rows;          // in file order
    std::vector<JournalProblem> problems;  // rows that could not be read, each left out
};

// Reads every row it can; an empty file (or one with the byte-order mark alone) has no rows.
// A last line without its line end is taken as cut short and left out.
JournalFile ReadJournal(std::string_view bytes);

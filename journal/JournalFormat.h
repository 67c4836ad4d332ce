// The journal's file format: UTF-8 CSV with a byte-order mark, lines ending in CR LF. Each act
// (a rewrite, an undo, a save of the rule file) is a run of rows between a row that begins it
// and a row that ends it; between them one row per changed step (or per rule a save added,
// removed or changed). Every row names its time, user, seat, act and action, so a spreadsheet
// filter works on any column.
//
// The begin row's `about` holds what the act's rows share ("begin rows=.. holes=.. steps=1:30;
// 7:2 table=<sha256> undoes=<act> part=1/2 file=<rule file>"); the end row's "end total=N",
// the rows of the file up to and with it, so that an append learns the file's length in rows
// from its last line. An act without its end row was cut short (a full disk, a crash).
//
// The journals written before acts had their own rows (the first format, with its own header)
// are read too: there an act is a run of rows that share their time, user, seat, action and
// ids.
//
// A field is quoted when it holds a comma, a quote or blanks at either end; a text that a
// spreadsheet would run as a formula (it starts with = + - @ TAB or CR and is not a plain
// number) is written behind an apostrophe, and the reader takes it off. CR and LF inside a
// text become blanks, so every row is one line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "journal/JournalTime.h"

inline constexpr std::string_view kJournalHeader =
    "time,user,computer,act,action,hole,step,code,before,after,rules,about";
inline constexpr std::string_view kFirstJournalHeader =
    "time,user,computer,action,rewrite,rule_file,rule_file_sha256,hole,step,code,before,after,"
    "rules";
inline constexpr std::string_view kJournalMark = "\xEF\xBB\xBF";

enum class JournalAction : uint8_t { Rewrite, Undo, RulesSaved };
// "rewrite", "undo", "rules-saved".
std::string_view JournalActionName(JournalAction action);
std::optional<JournalAction> JournalActionNamed(std::string_view name);

// What every row of one act shares. Texts are UTF-8.
struct JournalAct {
    Timestamp time;
    std::string user;
    std::string computer;
    JournalAction action = JournalAction::Rewrite;
    std::string actId;      // unique to the act; a rewrite's is the id its undo names
    std::string rewriteId;  // an undo: the rewrite it takes back; a rewrite: its own id
    std::string ruleFile;
    // A rewrite or undo: the SHA-256 of the rules in force (journal\tables\<sha256>.def).
    // A save: of the file it wrote; previousSha256 of the file it replaced (empty: none).
    std::string ruleFileSha256;
    std::string previousSha256;
    // An undo: the holes it left as they were, by why ("changed:12,15;gone:99").
    std::string left;

    bool operator==(const JournalAct&) const = default;
};

// A fresh id: 12 lowercase hexadecimal digits from the system's random source.
std::string NewActId();

// What the begin row tells of the rows that follow it.
struct JournalActSummary {
    uint64_t rows = 0;   // step rows (or rule rows) of this part
    uint64_t holes = 0;  // distinct holes among them
    std::vector<std::pair<int32_t, uint64_t>> stepsPerRule;  // rule, steps it matched
    uint32_t part = 1, parts = 1;  // an act longer than a file holds is split in parts

    bool operator==(const JournalActSummary&) const = default;
};

enum class RuleEdit : uint8_t { None, Added, Removed, Changed };

// One step row, or one rule row of a save.
struct JournalRow {
    int32_t hole = 0;
    int32_t step = 0;
    int32_t code = 0;
    double before = 0;
    double after = 0;
    std::vector<int32_t> rules;
    // A rule row: `rules` holds the rule's number (in the saved table; in the replaced one when
    // removed), oldNumber its number before, the rules as "on from to dmin dmax new" texts.
    RuleEdit edit = RuleEdit::None;
    int32_t oldNumber = 0;
    std::string oldRule, newRule;
};

// ---- Writing -------------------------------------------------------------------------------

// Formats one act's rows straight into a buffer of bounded size and hands each full buffer to
// `flush`, so that no act is ever held in memory whole. The first flush failure stops it.
class JournalRowWriter {
public:
    using Flush = std::function<bool(std::string_view bytes)>;
    JournalRowWriter(const JournalAct& act, size_t bufferBytes, Flush flush);

    void Begin(const JournalActSummary& summary);
    void Step(int32_t hole, int32_t step, int32_t code, double before, double after,
              std::span<const int32_t> rules);
    void Rule(RuleEdit edit, int32_t number, int32_t oldNumber, std::string_view oldRule,
              std::string_view newRule);
    // The end row; `fileRows` is the file's count of rows with this one.
    void End(uint64_t fileRows);
    // Raw bytes between rows (the header, a line end after a cut row).
    void Raw(std::string_view bytes);
    // Writes what is left in the buffer; false when a flush failed.
    bool Finish();

    uint64_t rows() const { return rows_; }
    // The bytes of every row but the step fields, for an estimate of an act's length.
    size_t prefixBytes() const { return prefix_.size(); }

private:
    void Reserve(size_t bytes);
    void EndRow(std::string_view about);

    JournalAct act_;
    std::string prefix_;  // "time,user,computer,act,action,"
    std::string buffer_;
    size_t limit_;
    Flush flush_;
    bool failed_ = false;
    uint64_t rows_ = 0;
};

// "rows=.. holes=.. steps=.. table=.. [was=..] [undoes=..] [part=k/n] file=..".
std::string BeginAbout(const JournalAct& act, const JournalActSummary& summary);

// One CSV record of the journal's kind: the fields escaped as above, CR LF at the end.
std::string JournalCsvRecord(std::span<const std::string> fields);
// The shortest decimal that reads back to the same double ("8.3", "1e-05", "-0").
std::string JournalDecimal(double value);
// "1, 7".
std::string RuleNumbersText(std::span<const int32_t> rules);

// ---- Reading -------------------------------------------------------------------------------

// Why a line of a journal was left out; the code that shows it words it.
enum class JournalFault : uint8_t {
    NotAHeader,     // line 1 is not a journal's header: nothing more is read
    CutShort,       // the last line has no line end
    TooLong,        // a line longer than kMostJournalLine: not a journal's
    UnpairedQuote,  // a quoted field does not end where its field ends
    ColumnCount,    // values: the line's count of fields
    Time,           // values: time, not an ISO 8601 time with a clock and an offset
    Action,         // values: action, not one the journal knows
    HoleStepCode,   // values: hole, step, code, not whole numbers (the step from 1)
    BeforeAfter,    // values: before, after, not numbers
    Rules,          // values: rules, not a list of rule numbers
    About,          // values: about, not what a begin, end or rule row holds
    CutAct,         // values: the act's id, the rows it holds and the rows it began with
};

struct JournalProblem {
    int64_t line = 0;  // of the file, from 1
    JournalFault fault = JournalFault::NotAHeader;
    std::vector<std::string> values;  // the fields at fault as the line holds them, UTF-8
};

inline constexpr size_t kMostJournalLine = 64 * 1024;

// One line of a journal as the reader takes it.
struct JournalLine {
    enum class Kind : uint8_t { Begin, Row, End };
    Kind kind = Kind::Row;
    JournalAct act;
    JournalActSummary summary;  // Begin
    JournalRow row;             // Row
    uint64_t fileRows = 0;      // End
};

enum class JournalVersion : uint8_t { First, Acts };

// The line's fields read as the header's version has them, or why it cannot be read (without
// its line number).
std::optional<JournalVersion> JournalVersionOf(std::string_view headerLine);
bool ParseJournalLine(std::string_view line, JournalVersion version, JournalLine& parsed,
                      JournalProblem& problem);

// A step row's fields after the five every row of its act shares ("hole,step,code,before,
// after,rules," with an empty about), read without copies; false when they are anything else,
// for the caller to read the whole line.
bool ParseStepTail(std::string_view tail, JournalRow& row);
// The bytes of a line of the acts format up to its sixth field ("time,user,computer,act,
// action,"); empty when a quote stands in them.
std::string_view SharedPrefixOfLine(std::string_view line);

// The act id of a line of the acts format without reading the rest; empty when there is none.
std::string_view ActIdOfLine(std::string_view line);
// "end total=N" read from a line of the acts format.
std::optional<uint64_t> FileRowsOfEndLine(std::string_view line);

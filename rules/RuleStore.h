// The rule file on disk: loading it into a table and saving a table over it, through a file
// port, so the module and the workbench read and write it the same way on every platform.
//
// A save never leaves the folder without a whole rule file: it writes as
// platform/AtomicFile.h does, with the policy of a rule file on top. The file it replaces is
// kept as "<file>.bak"; when that file held lines the table does not carry (comments, lines
// of another field count, lines past the last rule the table holds, text that could not be
// decoded exactly), it is also kept for good under a name no later save reuses,
// "<file>.<yyyymmdd-hhmmss>.bak".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FilePort.h"
#include "rules/RuleFileFormat.h"
#include "rules/RuleTable.h"

struct RuleFileLoad {
    FilePath path;
    FileStatus status;         // why the file could not be read; ok when it was
    RuleFileReadResult lines;  // what the file held, when it was read
    std::string bytes;         // the file's bytes, when it was read

    bool succeeded() const { return status.ok(); }
};

// What the file was when the table was loaded, as the save that follows must know it: the
// contents read, no file, or a file that was there but could not be read (held open without
// sharing, no rights, ...). Nothing of what was read is lost by a save that replaces only
// what the load read, or no file; a file the load could not read is never replaced unasked.
struct FileAtLoad {
    enum class State : uint8_t { Read, Missing, Unreadable };

    State state = State::Missing;
    std::string bytes;  // Read: what the file held

    static FileAtLoad Of(const RuleFileLoad& load);
    bool unreadable() const { return state == State::Unreadable; }
};

// The step of a save that failed.
enum class SaveStep : uint8_t {
    None,
    CheckTarget,  // the file is read-only, a folder, no file at all or a link loop
    CheckBackup,  // its backup is read-only, a folder, no file at all or a link loop
    WriteNew,     // the new contents could not be written beside the file
    ReadOld,      // the file being replaced could not be read
    WriteBackup,  // the backup could not be written or put in place
    KeepCopy,     // the kept copy could not be written
    Replace,      // the new contents could not take the file's place
    CheckFound,   // the file is not the one the save expected to replace
};

// What a file held: its bytes, or no file at all.
struct FileContents {
    bool exists = false;
    std::string bytes;

    bool operator==(const FileContents&) const = default;
};

struct SaveOptions {
    // When set, the save replaces only a file that holds these contents, or no file: the
    // file is compared with them in the same round that backs it up, and once more right
    // before the rename that replaces it.
    const FileContents* expected = nullptr;
    // Also keep the replaced file for good when it holds a rule the saved table lacks.
    bool keepRulesNotInTable = false;
    // Keep the replaced file for good whatever it holds.
    bool keepReplacedForGood = false;
};

// The save of the table that follows a load: it replaces without asking only the contents
// the load read, or no file. `expected` receives what the save expects and must outlive it.
SaveOptions SaveAfterLoad(const FileAtLoad& atLoad, FileContents& expected);
// The save once the user agreed to replace `found`, a file the save did not expect: that file
// is kept for good when it holds rules the table lacks, or when the load could not read it.
SaveOptions SaveReplacing(const FileAtLoad& atLoad, const FileContents& found);

struct FileSave {
    FilePath path;      // the file saved
    FileStatus status;  // the failed step's status; ok when saved
    SaveStep failedStep = SaveStep::None;
    FilePath failedPath;      // the file the failed step was about
    bool unchanged = false;   // the file held the very bytes already: nothing was written
    bool backupKept = false;  // "<file>.bak" now holds the file that was replaced
    FilePath keptCopy;        // where the replaced file is kept for good, if it was
    FileContents found;       // with CheckFound: what the file held instead

    bool succeeded() const { return status.ok(); }
};

FilePath BackupPathOf(const FilePath& path);
// "<path>.<yyyymmdd-hhmmss>.bak", and "<path>.<yyyymmdd-hhmmss>-<n>.bak" for n = attempt + 1
// when attempt > 0.
FilePath KeptCopyPathOf(const FilePath& path, const LocalTime& time, unsigned attempt);
// The kept copies of the file at `path` that its folder holds (as KeptCopyPathOf names them),
// newest first: by the time of their save, then by the attempt.
std::vector<FilePath> KeptCopiesOf(FilePort& files, const FilePath& folder, const FilePath& path);

// True when a table read from these bytes would not carry all of them: a line a save drops
// (IsDroppedBySave: comments, lines of another field count, rules past the table's
// capacity), or text that does not decode exactly.
bool HoldsLinesNotCarried(std::span<const unsigned char> bytes);

// True when a rule read from these bytes is not in the table (in any slot).
bool HoldsRulesNotIn(std::span<const unsigned char> bytes, const RuleTable& table);

// Whether a save that expects `expected` may replace what it found. A file gone meanwhile
// may be made anew: nothing of it is lost.
bool MayReplace(const FileContents& expected, const FileContents& found);

class RuleStore {
public:
    RuleStore(FilePort& port, FilePath path) : port_(port), path_(std::move(path)) {}

    const FilePath& path() const { return path_; }

    // Clears the table and fills it from the file, text in a legacy code page through
    // `legacy`; the table stays empty when the file cannot be read. The file is read while
    // others hold it open, also for writing; a file in the way for a moment (another
    // program's open without sharing, a save replacing it) is waited for as saves wait.
    RuleFileLoad Load(RuleTable& table, const LegacyTextDecoder& legacy) const;
    // Writes nothing, and keeps "<file>.bak", when the file holds the table's bytes already.
    FileSave Save(const RuleTable& table, const SaveOptions& options = {}) const;

private:
    FilePort& port_;
    FilePath path_;
};

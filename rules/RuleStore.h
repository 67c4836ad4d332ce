// The rule file on disk: loading it into a table and saving a table over it, through a file
// port, so the module and the workbench read and write it the same way on every platform.
//
// A save never leaves the folder without a whole rule file: the new contents go to a file of
// the save's own first and reach the rule file's name by one rename. The file it replaces is
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
};

struct FileSave {
    FilePath path;      // the file saved
    FileStatus status;  // the failed step's status; ok when saved
    SaveStep failedStep = SaveStep::None;
    FilePath failedPath;      // the file the failed step was about
    bool backupKept = false;  // "<file>.bak" now holds the file that was replaced
    FilePath keptCopy;        // where the replaced file is kept for good, if it was
    FileContents found;       // with CheckFound: what the file held instead

    bool succeeded() const { return status.ok(); }
};

FilePath BackupPathOf(const FilePath& path);
// "<path>.<yyyymmdd-hhmmss>.bak", and "<path>.<yyyymmdd-hhmmss>-<n>.bak" for n = attempt + 1
// when attempt > 0.
FilePath KeptCopyPathOf(const FilePath& path, const LocalTime& time, unsigned attempt);

// True when a table read from these bytes would not carry all of them: a line that is not a
// rule, a rule past the table's capacity, or text that does not decode exactly.
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
    // `legacy`; the table stays empty when the file cannot be read. Nobody else may open the
    // file while it is read.
    RuleFileLoad Load(RuleTable& table, const LegacyTextDecoder& legacy) const;
    FileSave Save(const RuleTable& table, const SaveOptions& options = {}) const;

private:
    FilePort& port_;
    FilePath path_;
};

// Replaces a file's contents through a file of its own and one rename, without a backup: for
// files the workbench writes beside the rule file (CSV, pictures). A read-only file, a folder,
// a device, FIFO or socket, a link loop or a link's target are handled as a rule file's save
// handles them; the file replaced is not read.
FileSave WriteFileAtomically(FilePort& port, const FilePath& path, std::string_view bytes);

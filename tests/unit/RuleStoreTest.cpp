#include "rules/RuleStore.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FakeFiles.h"
#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"

namespace {

std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::u16string NoLegacy(std::span<const unsigned char>) {
    return u"?";
}

const FilePath kRules = u"C:\\cam\\Quillet.def";
const FilePath kBackup = u"C:\\cam\\Quillet.def.bak";
const FilePath kKept = u"C:\\cam\\Quillet.def.20260304-050607.bak";
const std::string kRuleLines = Utf16Le(u"1\t101\t199\t8.1\t8.99\t8.5\r\n");
const std::string kWithComment = Utf16Le(u"// shop table\r\n1\t101\t199\t8.1\t8.99\t8.5\r\n");

RuleTable NewTable() {
    RuleTable table;
    table.Append({1, u"301", u"", u"10", u"", u"10.2"});
    return table;
}

const std::string kNewBytes = Utf16Le(u"1\t301\t\t10\t\t10.2\r\n");

TEST(HoldsLinesNotCarried, OnlyFilesWhoseEveryLineIsARuleTheTableHoldsAreCarried) {
    std::u16string fortyNine, fifty;
    for (int n = 1; n <= 50; ++n) {
        (n <= 49 ? fortyNine : fifty) += u"1\t1\t\t1\t\t2\r\n";
    }
    fifty = fortyNine + fifty;
    const struct {
        std::string bytes;
        bool notCarried;
    } cases[] = {
        {"", false},
        {"\xFF\xFE", false},
        {kRuleLines, false},
        {Utf16Le(u"1\t101\t\t8\t\t8.5 "), false},  // no final line end; spaces trimmed
        {Utf16Le(fortyNine), false},
        {"1\t101\t\t8\t\t8.5\n", false},                               // UTF-8 without mark
        {Utf16Le(u"1\t101\t199\t8.1\t8.99\t8.5\r\n\r\n  \n"), false},  // blank lines
        {kWithComment, true},
        {Utf16Le(u"1\t101\t199\t8.1\t8.99\t8.5\t메모\r\n"), true},  // a seventh field
        {Utf16Le(fifty), true},                                     // past the 49th
        {"1\t101\t\t8\t\t8.5\xC3\n", true},                         // invalid UTF-8
        {kRuleLines + "\x31", true},                                // odd UTF-16
    };
    for (const auto& c : cases) {
        const auto* data = reinterpret_cast<const unsigned char*>(c.bytes.data());
        EXPECT_EQ(HoldsLinesNotCarried({data, c.bytes.size()}), c.notCarried)
            << testing::PrintToString(c.bytes);
    }
}

TEST(RuleStore, SaveKeepsTheReplacedFileAsBackupAndFilesWithOtherLinesForGood) {
    FakeFiles files;
    const RuleStore store(files, kRules);

    FileSave saved = store.Save(NewTable());  // no file yet: no backup
    ASSERT_TRUE(saved.succeeded());
    EXPECT_FALSE(saved.backupKept);
    EXPECT_EQ(files.Files(), (std::map<FilePath, std::string>{{kRules, kNewBytes}}));

    files.entries[kRules].bytes = kRuleLines;  // every line a rule: backup only
    saved = store.Save(NewTable());
    ASSERT_TRUE(saved.succeeded());
    EXPECT_TRUE(saved.backupKept);
    EXPECT_TRUE(saved.keptCopy.empty());
    EXPECT_EQ(files.Files(),
              (std::map<FilePath, std::string>{{kRules, kNewBytes}, {kBackup, kRuleLines}}));

    files.entries[kRules].bytes = kWithComment;  // a comment: kept for good, and kept again
    saved = store.Save(NewTable());              // by the next save only if it holds one
    ASSERT_TRUE(saved.succeeded());
    EXPECT_EQ(saved.keptCopy, kKept);
    ASSERT_TRUE(store.Save(NewTable()).succeeded());
    files.entries[kRules].bytes = kWithComment + "x";
    saved = store.Save(NewTable());
    EXPECT_EQ(saved.keptCopy, u"C:\\cam\\Quillet.def.20260304-050607-2.bak");
    EXPECT_EQ(files.Files(),
              (std::map<FilePath, std::string>{{kRules, kNewBytes},
                                               {kBackup, kWithComment + "x"},
                                               {kKept, kWithComment},
                                               {saved.keptCopy, kWithComment + "x"}}));
}

TEST(RuleStore, SaveExpectingContentsReplacesOnlyThemOrNoFile) {
    FakeFiles files;
    const RuleStore store(files, kRules);
    const FileContents loaded{true, kRuleLines}, none;
    files.entries[kRules].bytes = kWithComment;  // another writer's file is left as it is
    for (const FileContents* expected : {&loaded, &none}) {
        const FileSave saved = store.Save(NewTable(), {expected});
        EXPECT_EQ(saved.failedStep, SaveStep::CheckFound);
        EXPECT_EQ(saved.found, (FileContents{true, kWithComment}));
        EXPECT_EQ(files.Files(), (std::map<FilePath, std::string>{{kRules, kWithComment}}));
    }
    // Changed after the first comparison, before the backup took the file's place: the
    // backup holds what was expected, the file what the other writer saved.
    files.entries[kRules].bytes = kRuleLines;
    files.changeAt = files.steps + 4;
    files.changed = {kRules, kWithComment};
    EXPECT_EQ(store.Save(NewTable(), {&loaded}).failedStep, SaveStep::CheckFound);
    EXPECT_EQ(files.Files(),
              (std::map<FilePath, std::string>{{kRules, kWithComment}, {kBackup, kRuleLines}}));
    files.changeAt = -1;
    files.entries[kRules].bytes = kRuleLines;
    EXPECT_TRUE(store.Save(NewTable(), {&loaded}).succeeded());
    files.entries.clear();  // gone meanwhile: nothing of it to lose
    EXPECT_TRUE(store.Save(NewTable(), {&loaded}).succeeded());
}

// A save that replaces whatever it finds (the workbench's import) still keeps the very file it
// replaces: one that another writer saved after it was read for the backup is backed up, and
// kept for good, in the next round.
TEST(RuleStore, SaveWithoutExpectationKeepsTheFileAnotherWriterSavedMeanwhile) {
    FakeFiles files;
    const RuleStore store(files, kRules);
    files.entries[kRules].bytes = kRuleLines;
    files.changeAt = files.steps + 4;  // after the read for the backup, before its rename
    files.changed = {kRules, kWithComment};
    const FileSave saved = store.Save(NewTable());
    ASSERT_TRUE(saved.succeeded());
    EXPECT_TRUE(saved.backupKept);
    EXPECT_EQ(saved.keptCopy, kKept);
    EXPECT_EQ(files.Files(), (std::map<FilePath, std::string>{{kRules, kNewBytes},
                                                              {kBackup, kWithComment},
                                                              {kKept, kWithComment}}));
}

TEST(RuleStore, ReplacedFilesWithRulesTheTableLacksAreKeptWhenAsked) {
    FakeFiles files;
    const RuleStore store(files, kRules);
    files.entries[kRules].bytes = kNewBytes;  // only the table's own rules
    EXPECT_TRUE(store.Save(NewTable(), {nullptr, true}).keptCopy.empty());
    files.entries[kRules].bytes = kRuleLines;
    EXPECT_TRUE(store.Save(NewTable()).keptCopy.empty());
    files.entries[kRules].bytes = kRuleLines;
    EXPECT_EQ(store.Save(NewTable(), {nullptr, true}).keptCopy, kKept);
}

// Whatever step fails, the rule file keeps its old bytes and nothing of the save is left.
TEST(RuleStore, AFailureAtAnyStepLeavesTheOldFileAndNoFileOfTheSave) {
    int step = 0;
    for (;; ++step) {
        FakeFiles files;
        files.entries[kRules].bytes = kWithComment;
        files.entries[kBackup].bytes = "older";
        files.failAt = step;
        files.failTimes = 100;
        const FileSave saved = RuleStore(files, kRules).Save(NewTable());
        if (saved.succeeded()) break;
        SCOPED_TRACE("step " + std::to_string(step));
        EXPECT_EQ(saved.status.code, 5u);
        EXPECT_NE(saved.failedStep, SaveStep::None);
        EXPECT_FALSE(saved.backupKept);
        EXPECT_EQ(files.Bytes(kRules), kWithComment);
        EXPECT_FALSE(files.Bytes(kKept));
        for (const auto& [path, bytes] : files.Files()) {
            EXPECT_TRUE(path == kRules || path == kBackup) << Narrow(path);
        }
    }
    EXPECT_GE(step, 6);  // first read, write new, read old, write backup, keep copy, rename
}

TEST(RuleStore, FilesInTheWayForAMomentAreWaitedForAndThenReported) {
    for (const int busySteps : {3, 100}) {
        FakeFiles files;
        files.entries[kRules].bytes = kRuleLines;
        files.failure = {FileFault::InUse, 32};
        files.failAt = 2;  // the first read of the old file, and what follows
        files.failTimes = busySteps;
        const FileSave saved = RuleStore(files, kRules).Save(NewTable());
        EXPECT_EQ(saved.succeeded(), busySteps == 3);
        EXPECT_EQ(files.Bytes(kRules), busySteps == 3 ? kNewBytes : kRuleLines);
        EXPECT_EQ(files.pauses, busySteps == 3 ? 3 : 9);
    }
}

// What is refused is left as it is; a target that is no regular file is not even read to see
// whether it holds the bytes already (reading a device or a pipe may never end).
TEST(RuleStore, OnlyWritableFilesAreEverReplaced) {
    const struct {
        FilePath path;
        FileKind kind;
        SaveStep step;
        FileFault fault;
        int reads;
    } cases[] = {
        {kRules, FileKind::ReadOnlyFile, SaveStep::CheckTarget, FileFault::Denied, 1},
        {kRules, FileKind::Folder, SaveStep::CheckTarget, FileFault::Denied, 0},
        {kRules, FileKind::Special, SaveStep::CheckTarget, FileFault::NotAFile, 0},
        {kRules, FileKind::LinkLoop, SaveStep::CheckTarget, FileFault::LinkLoop, 0},
        {kBackup, FileKind::ReadOnlyFile, SaveStep::CheckBackup, FileFault::Denied, 1},
        {kBackup, FileKind::Folder, SaveStep::CheckBackup, FileFault::Denied, 1},
        {kBackup, FileKind::Special, SaveStep::CheckBackup, FileFault::NotAFile, 1},
    };
    for (const auto& c : cases) {
        FakeFiles files;
        files.entries[kRules].bytes = kRuleLines;
        files.entries[c.path].kind = c.kind;
        const auto before = files.Files();
        const FileSave saved = RuleStore(files, kRules).Save(NewTable());
        EXPECT_EQ(saved.status.fault, c.fault);
        EXPECT_EQ(saved.failedStep, c.step);
        EXPECT_EQ(saved.failedPath, c.path);
        EXPECT_EQ(files.Files(), before);
        EXPECT_EQ(files.reads, c.reads);
    }
}

TEST(RuleStore, LoadFillsTheTableOrLeavesItEmptyWithTheReason) {
    FakeFiles files;
    RuleTable table = NewTable();
    const RuleStore store(files, kRules);
    RuleFileLoad loaded = store.Load(table, NoLegacy);
    EXPECT_EQ(loaded.status.fault, FileFault::NotFound);
    EXPECT_EQ(table.count(), 0);

    files.entries[kRules].bytes = kWithComment;
    loaded = store.Load(table, NoLegacy);
    ASSERT_TRUE(loaded.succeeded());
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.rule(1).CodeFrom, u"101");
}

// The bytes to save are the file's own: nothing is written, not even a temporary file, and
// the backup stays, also beside a read-only file.
TEST(RuleStore, SaveOfTheFilesOwnBytesWritesNothing) {
    for (const FileKind kind : {FileKind::File, FileKind::ReadOnlyFile}) {
        FakeFiles files;
        files.entries[kRules] = {kNewBytes, kind};
        files.entries[kBackup].bytes = "older";
        const FileContents other{true, kRuleLines};  // what another seat's load read
        const FileSave saved = RuleStore(files, kRules).Save(NewTable(), {&other});
        EXPECT_TRUE(saved.succeeded());
        EXPECT_TRUE(saved.unchanged);
        EXPECT_FALSE(saved.backupKept);
        EXPECT_EQ(files.steps, 1);  // the one read
        EXPECT_EQ(files.Files(),
                  (std::map<FilePath, std::string>{{kRules, kNewBytes}, {kBackup, "older"}}));
    }
}

// A file in the way of a load for a moment is waited for as saves wait; one that stays in the
// way leaves the load unreadable, and the save that follows then replaces it only when the
// user agreed, keeping it for good.
TEST(RuleStore, BusyFileAtTheLoadIsWaitedForAndNeverReplacedUnasked) {
    for (const int busyReads : {3, 100}) {
        FakeFiles files;
        files.entries[kRules].bytes = kRuleLines;
        files.failure = {FileFault::InUse, 32};
        files.failAt = 0;
        files.failTimes = busyReads;
        RuleTable table;
        const RuleFileLoad load = RuleStore(files, kRules).Load(table, NoLegacy);
        const FileAtLoad atLoad = FileAtLoad::Of(load);
        EXPECT_EQ(files.pauses, busyReads == 3 ? 3 : 9);
        EXPECT_EQ(table.count(), busyReads == 3 ? 1 : 0);
        EXPECT_EQ(atLoad.state,
                  busyReads == 3 ? FileAtLoad::State::Read : FileAtLoad::State::Unreadable);
        if (busyReads == 3) continue;

        files.failAt = -1;  // the other program lets go; the user adds a rule and confirms
        FileContents expected;
        FileSave saved = RuleStore(files, kRules).Save(NewTable(), SaveAfterLoad(atLoad, expected));
        EXPECT_EQ(saved.failedStep, SaveStep::CheckFound);
        EXPECT_EQ(files.Files(), (std::map<FilePath, std::string>{{kRules, kRuleLines}}));
        const FileContents found = saved.found;
        saved = RuleStore(files, kRules).Save(NewTable(), SaveReplacing(atLoad, found));
        ASSERT_TRUE(saved.succeeded());
        EXPECT_EQ(files.Files(),
                  (std::map<FilePath, std::string>{
                      {kRules, kNewBytes}, {kBackup, kRuleLines}, {kKept, kRuleLines}}));
    }
    // Read, or missing: the save replaces what was read, or makes the file, unasked.
    FakeFiles files;
    files.entries[kRules].bytes = kRuleLines;
    RuleTable table;
    FileContents expected;
    const FileAtLoad read = FileAtLoad::Of(RuleStore(files, kRules).Load(table, NoLegacy));
    EXPECT_TRUE(
        RuleStore(files, kRules).Save(NewTable(), SaveAfterLoad(read, expected)).succeeded());
    files.entries.clear();
    const FileAtLoad missing = FileAtLoad::Of(RuleStore(files, kRules).Load(table, NoLegacy));
    EXPECT_EQ(missing.state, FileAtLoad::State::Missing);
    EXPECT_TRUE(
        RuleStore(files, kRules).Save(NewTable(), SaveAfterLoad(missing, expected)).succeeded());
}

// The names the save gives its kept copies, and only those, are found again, newest first.
TEST(RuleStore, KeptCopiesAreFoundByTheNamesTheSaveGivesThemNewestFirst) {
    FakeFiles files;
    files.entries[u"C:\\cam"].kind = FileKind::Folder;
    std::vector<FilePath> named;
    for (const LocalTime& time :
         {LocalTime{2026, 3, 4, 5, 6, 7}, LocalTime{2025, 12, 31, 23, 59, 59}}) {
        for (const unsigned attempt : {0u, 1u, 11u})
            named.push_back(KeptCopyPathOf(kRules, time, attempt));
    }
    for (const FilePath& path : named) files.entries[path].bytes = kRuleLines;
    for (const FilePath& other : {kBackup, FilePath(u"C:\\cam\\Quillet.def.old.bak"),
                                  FilePath(u"C:\\cam\\Quillet.def.20260304-050607-1.bak"),
                                  FilePath(u"C:\\cam\\Quillet.def.20260304-0506.bak"),
                                  FilePath(u"C:\\cam\\Other.def.20260304-050607.bak")}) {
        files.entries[other].bytes = kRuleLines;
    }
    EXPECT_EQ(KeptCopiesOf(files, u"C:\\cam", kRules),
              (std::vector<FilePath>{named[2], named[1], named[0], named[5], named[4], named[3]}));
}

TEST(WriteFileAtomically, ReplacesTheFileWithoutBackup) {
    FakeFiles files;
    files.entries[u"out.csv"].bytes = "old";
    EXPECT_TRUE(WriteFileAtomically(files, u"out.csv", "new").succeeded());
    EXPECT_EQ(files.Files(), (std::map<FilePath, std::string>{{u"out.csv", "new"}}));
    EXPECT_EQ(files.reads, 0);  // what it replaces is not read, however large it is
    files.entries[u"out.csv"].kind = FileKind::ReadOnlyFile;
    EXPECT_EQ(WriteFileAtomically(files, u"out.csv", "newer").status.fault, FileFault::Denied);
    // A name the system resolves to a device, where following its link by hand leads nowhere.
    files.entries[u"stdout"].kind = FileKind::Special;
    files.links[u"stdout"] = u"pipe:[1]";
    EXPECT_EQ(WriteFileAtomically(files, u"stdout", "x").status.fault, FileFault::NotAFile);
    EXPECT_FALSE(files.Bytes(u"pipe:[1]"));
}

}  // namespace

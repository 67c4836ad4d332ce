#include "command/JournalFiles.h"

#include <gtest/gtest.h>

#include "FakeFiles.h"

namespace {

const FilePath kJournal = u"C:\\Users\\kim\\AppData\\Local\\Quillet\\journal.csv";

JournalAct ActAt(int64_t utcMilliseconds, JournalAction action = JournalAction::Rewrite) {
    return {{utcMilliseconds, 540}, "kim", "CAM1", action, "00ff00ff00ff00ff",
            "C:\\Quillet.def",      ""};
}

const std::vector<HoleChange> kChanges = {
    {12, {{1, 101, 8.3, 8.6, {}}, {3, 116, 8.3, 8.5, {}}}},
    {14, {{2, 116, 9.0, 8.5, {}}}},
};

// What the port holds is handed to the rows: a new file gets the mark and header once, a row
// cut short by a crash is ended before the next act, and a journal reads back act by act.
TEST(JournalFiles, AppendsWholeActsAfterWhatTheFileHolds) {
    FakeFiles files;
    ASSERT_TRUE(AppendToJournal(files, kJournal, ActAt(1000), kChanges).ok());
    files.entries[kJournal].bytes += "2024-05-01T14:03:07.250+09:00,kim,CA";  // cut short
    ASSERT_TRUE(AppendToJournal(files, kJournal, ActAt(2000, JournalAction::Undo), kChanges).ok());
    ASSERT_TRUE(AppendToJournal(files, kJournal, ActAt(3000), {}).ok());  // no steps: nothing

    const std::string& bytes = files.entries.at(kJournal).bytes;
    EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF" + std::string(kJournalHeader) + "\r\n"));
    const JournalFile journal = ReadJournal(bytes);
    ASSERT_EQ(journal.acts.size(), 2u);
    EXPECT_EQ(journal.acts[0], ActAt(1000));
    EXPECT_EQ(journal.acts[1], ActAt(2000, JournalAction::Undo));
    EXPECT_EQ(journal.rows.size(), 6u);
    ASSERT_EQ(journal.problems.size(), 1u);  // the cut row alone
    EXPECT_EQ(journal.problems[0].line, 5);
}

TEST(JournalFiles, AFileHeldForAMomentIsWaitedForAndOtherFailuresAreReportedAtOnce) {
    const struct {
        FileFault fault;
        int failTimes;
        bool written;
        int pauses;
    } cases[] = {
        {FileFault::InUse, 3, true, 3},    // another writer's append ends meanwhile
        {FileFault::InUse, 10, false, 9},  // held for good: given up after 10 rounds
        {FileFault::Denied, 1, false, 0},
        {FileFault::NotFound, 1, false, 0},  // the rule folder went away
    };
    for (const auto& c : cases) {
        FakeFiles files;
        files.failAt = 0;
        files.failTimes = c.failTimes;
        files.failure = {c.fault, 32};
        const FileStatus status = AppendToJournal(files, kJournal, ActAt(1000), kChanges);
        EXPECT_EQ(status.ok(), c.written) << static_cast<int>(c.fault) << " " << c.failTimes;
        EXPECT_EQ(files.entries.contains(kJournal), c.written);
        EXPECT_EQ(files.pauses, c.pauses);
        if (!c.written) {
            EXPECT_EQ(status.fault, c.fault);
        }
    }
}

}  // namespace

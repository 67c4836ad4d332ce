// Appends to journal files: roll-over at the limits, a file held by another program waited for,
// the seat's own journal as the record that the rule folder's is brought up to date from by act
// id, the pending file, the tables kept by content, and the rows of a save of the rule file.
#include "journal/JournalStore.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FakeFiles.h"
#include "command/RewriteJournal.h"
#include "journal/JournalReader.h"
#include "journal/RuleTables.h"
#include "journal/SeatJournal.h"
#include "journal/Sha256.h"
#include "platform/SystemFilePort.h"

namespace {

const FilePath kOwn = u"C:\\Users\\kim\\Quillet\\journal.csv";
const FilePath kFolder = u"\\\\srv\\cam\\journal";
const FilePath kShared = u"\\\\srv\\cam\\journal\\CAM1.csv";

JournalAct ActAt(int second, JournalAction action = JournalAction::Rewrite) {
    JournalAct act;
    act.time = TimestampOfLocal({2024, 5, 1, 14, 0, second, 0}, 540);
    act.user = "kim";
    act.computer = "CAM1";
    act.action = action;
    act.actId = "a" + std::to_string(100 + second) + "00000000";
    act.rewriteId = act.actId;
    return act;
}

std::vector<HoleChange> Steps(int count) {
    std::vector<HoleChange> holes;
    for (int i = 0; i < count; ++i) holes.push_back({i + 1, {{1, 101, 8.3, 8.5, {}}}});
    return holes;
}

std::vector<std::string> ActIds(const std::string& bytes) {
    std::vector<std::string> ids;
    for (const JournalFile::Act& act : ReadJournal(bytes).acts) {
        EXPECT_FALSE(act.cut) << act.head.act.actId;
        ids.push_back(act.head.act.actId + "/" + std::to_string(act.head.summary.part));
    }
    return ids;
}

std::vector<FilePath> Names(const FakeFiles& files) {
    std::vector<FilePath> names;
    for (const auto& [path, entry] : files.entries) names.push_back(path);
    return names;
}

TEST(JournalStore, RollsOverBeforeTheLimitsAndSplitsAnActLongerThanAFile) {
    FakeFiles files;
    const JournalLimits limits{10, 1 << 20, 4096};
    const std::vector<HoleChange> three = Steps(3);
    ASSERT_TRUE(AppendJournalAct(files, kOwn, ActAt(1), HoleChangeRows(three), limits).ok());
    ASSERT_TRUE(AppendJournalAct(files, kOwn, ActAt(2), HoleChangeRows(three), limits).ok());
    EXPECT_EQ(files.entries.size(), 1u);  // 10 rows: full, not past
    ASSERT_TRUE(AppendJournalAct(files, kOwn, ActAt(3), HoleChangeRows(three), limits).ok());
    const FilePath rolled = u"C:\\Users\\kim\\Quillet\\journal-20240501-140001.csv";
    EXPECT_EQ(Names(files), (std::vector<FilePath>{rolled, kOwn}));
    EXPECT_EQ(ActIds(*files.Bytes(rolled)),
              (std::vector<std::string>{"a10100000000/1", "a10200000000/1"}));
    EXPECT_EQ(ActIds(*files.Bytes(kOwn)), (std::vector<std::string>{"a10300000000/1"}));

    // Eighteen steps in parts of at most eight, each part a file of its own.
    const std::vector<HoleChange> many = Steps(18);
    ASSERT_TRUE(AppendJournalAct(files, kOwn, ActAt(4), HoleChangeRows(many), limits).ok());
    ASSERT_EQ(files.entries.size(), 5u);
    size_t rows = 0;
    for (const auto& [path, entry] : files.entries) {
        const JournalFile file = ReadJournal(entry.bytes);
        for (const JournalFile::Act& act : file.acts) {
            if (act.head.act.actId == "a10400000000") rows += act.rows.size();
            EXPECT_LE(act.rows.size() + 2, 10u);
            EXPECT_EQ(act.head.summary.parts, act.head.act.actId == "a10400000000" ? 3u : 1u);
        }
    }
    EXPECT_EQ(rows, 18u);
    // A name taken already (two files whose first acts share a second) gets a number.
    EXPECT_TRUE(files.entries.contains(u"C:\\Users\\kim\\Quillet\\journal-20240501-140004-2.csv"));

    // The bytes bound rolls over just as well.
    FakeFiles small;
    const JournalLimits bytes{1'000'000, 1500, 4096};
    for (int second = 1; second <= 3; ++second) {
        ASSERT_TRUE(
            AppendJournalAct(small, kOwn, ActAt(second), HoleChangeRows(three), bytes).ok());
    }
    EXPECT_EQ(small.entries.size(), 3u);
    for (const auto& [path, entry] : small.entries) EXPECT_LE(entry.bytes.size(), 1500u);
}

// A journal in the first format is never appended to in another: it is rolled over, kept.
TEST(JournalStore, RollsAFileOfTheFirstFormatOverBeforeItsFirstAct) {
    FakeFiles files;
    const std::string old = "\xEF\xBB\xBF" + std::string(kFirstJournalHeader) +
                            "\r\n2024-04-02T09:00:00.000+09:00,kim,CAM1,rewrite,aa,Q.def,00,"
                            "12,1,101,8.3,8.6,1\r\n";
    files.entries[kOwn].bytes = old;
    ASSERT_TRUE(AppendJournalAct(files, kOwn, ActAt(1), HoleChangeRows(Steps(1))).ok());
    EXPECT_EQ(files.Bytes(u"C:\\Users\\kim\\Quillet\\journal-20240402-090000.csv"), old);
    EXPECT_EQ(ActIds(*files.Bytes(kOwn)), (std::vector<std::string>{"a10100000000/1"}));
}

TEST(JournalStore, WaitsForAHeldFileWithGrowingPausesOfAboutTwoSeconds) {
    FakeFiles files;
    files.held.insert(kOwn);
    EXPECT_EQ(AppendJournalAct(files, kOwn, ActAt(1), HoleChangeRows(Steps(1))).fault,
              FileFault::InUse);
    unsigned waited = 0;
    for (const unsigned pause : kBusyPauses) waited += pause;
    EXPECT_EQ(files.pauses, static_cast<int>(std::size(kBusyPauses)));
    EXPECT_GE(waited, 1900u);
    EXPECT_LE(waited, 2100u);
    // Let go of during the waits: the act goes in whole, once.
    files.held.clear();
    files.failAt = files.steps;
    files.failTimes = 3;
    files.failure = {FileFault::InUse, 32};
    files.pauses = 0;
    ASSERT_TRUE(AppendJournalAct(files, kOwn, ActAt(1), HoleChangeRows(Steps(2))).ok());
    EXPECT_EQ(files.pauses, 3);
    EXPECT_EQ(ActIds(*files.Bytes(kOwn)), (std::vector<std::string>{"a10100000000/1"}));
}

SeatJournals Journals(bool reachable = true) {
    return {kOwn, kShared, kFolder, reachable};
}

TEST(SeatJournal, TheRuleFoldersJournalCatchesUpByActIdInOrderAndOnce) {
    FakeFiles files;
    files.entries[u"\\\\srv\\cam"].kind = FileKind::Folder;
    const std::vector<HoleChange> two = Steps(2);
    const TableToKeep table{Sha256Hex("rules"), "rules"};
    // Held by a spreadsheet during the first act, away during the second.
    files.held.insert(kShared);
    std::vector<JournalMiss> misses =
        RecordAct(files, Journals(), ActAt(1), HoleChangeRows(two), table);
    ASSERT_EQ(misses.size(), 1u);
    EXPECT_EQ(misses[0].path, kShared);
    EXPECT_EQ(misses[0].status.fault, FileFault::InUse);
    EXPECT_EQ(misses[0].waits, ActWaits::InOwnJournal);
    EXPECT_EQ(misses[0].waitsIn, kOwn);
    files.held.clear();
    misses = RecordAct(files, Journals(false), ActAt(2), HoleChangeRows(two), table);
    ASSERT_EQ(misses.size(), 1u);
    EXPECT_EQ(misses[0].status.fault, FileFault::NotFound);
    EXPECT_EQ(ActIds(*files.Bytes(kOwn)),
              (std::vector<std::string>{"a10100000000/1", "a10200000000/1"}));
    EXPECT_FALSE(files.Bytes(kShared).value_or("").size());

    // The next act that reaches the folder brings the owed ones first.
    EXPECT_TRUE(RecordAct(files, Journals(), ActAt(3), HoleChangeRows(two), table).empty());
    const std::vector<std::string> all = {"a10100000000/1", "a10200000000/1", "a10300000000/1"};
    EXPECT_EQ(ActIds(*files.Bytes(kShared)), all);
    EXPECT_FALSE(files.Bytes(OwedPathBeside(kOwn)));
    // The table they name is kept beside the folder's journal once, by its content.
    EXPECT_EQ(files.Bytes(kFolder + u"\\tables\\" +
                          std::u16string(table.sha256.begin(), table.sha256.end()) + u".def"),
              "rules");
    // An act owed again although it is there already (its append was told as failed after it
    // went in) is not appended twice.
    const std::string owed2 = "a10200000000\t\\\\srv\\cam\\journal\\CAM1.csv\r\n";
    files.entries[OwedPathBeside(kOwn)].bytes = owed2;
    EXPECT_TRUE(CatchUpJournals(files, Journals()).ok());
    EXPECT_EQ(ActIds(*files.Bytes(kShared)), all);
    EXPECT_FALSE(files.Bytes(OwedPathBeside(kOwn)));
    // Nor when the file rolled over since; the acts owed after it go, an undo that restored no
    // hole among them. A rolled file last written days before the acts is not read.
    ASSERT_TRUE(RollJournalOver(files, kShared).ok());
    const FilePath rolled = kFolder + u"\\CAM1-20240501-140001.csv";
    files.entries[rolled].modified = ActAt(3).time.utcMilliseconds / 1000;
    JournalAct undo = ActAt(4, JournalAction::Undo);
    undo.left = "changed:1,2";
    RecordAct(files, Journals(false), undo, HoleChangeRows({}), table);
    RecordAct(files, Journals(false), ActAt(5), HoleChangeRows(two), table);
    files.entries[OwedPathBeside(kOwn)].bytes = owed2 + *files.Bytes(OwedPathBeside(kOwn));
    files.entries[kFolder + u"\\CAM1-20240101-000000.csv"] = {*files.Bytes(kOwn)};
    EXPECT_TRUE(CatchUpJournals(files, Journals()).ok());
    EXPECT_EQ(ActIds(*files.Bytes(kShared)),
              (std::vector<std::string>{"a10400000000/1", "a10500000000/1"}));
}

// Another process of the same user owes an act while a catch-up runs: it stays owed, and goes
// with the next one.
TEST(SeatJournal, AnActOwedDuringACatchUpStaysOwed) {
    FakeFiles files;
    const std::vector<HoleChange> two = Steps(2);
    RecordAct(files, Journals(false), ActAt(1), HoleChangeRows(two), {});
    ASSERT_TRUE(AppendJournalAct(files, kOwn, ActAt(2), HoleChangeRows(two)).ok());
    files.entries[u"\\\\srv\\cam"].kind = FileKind::Folder;
    files.changeAt = files.steps + 2;  // after the owed acts are read
    files.changed = {OwedPathBeside(kOwn), *files.Bytes(OwedPathBeside(kOwn)) +
                                               "a10200000000\t\\\\srv\\cam\\journal\\CAM1.csv\r\n"};
    EXPECT_TRUE(CatchUpJournals(files, Journals()).ok());
    EXPECT_EQ(ActIds(*files.Bytes(kShared)), (std::vector<std::string>{"a10100000000/1"}));
    EXPECT_EQ(files.Bytes(OwedPathBeside(kOwn)),
              "a10200000000\t\\\\srv\\cam\\journal\\CAM1.csv\r\n");
    EXPECT_TRUE(CatchUpJournals(files, Journals()).ok());
    EXPECT_EQ(ActIds(*files.Bytes(kShared)),
              (std::vector<std::string>{"a10100000000/1", "a10200000000/1"}));
    EXPECT_FALSE(files.Bytes(OwedPathBeside(kOwn)));
}

// An act owed in three parts, one in each of the own journal's files, goes in its parts' order.
TEST(SeatJournal, AnActOwedInPartsGoesInTheirOrder) {
    FakeFiles files;
    files.entries[u"C:\\Users\\kim\\Quillet"].kind = FileKind::Folder;
    const JournalLimits limits{10, 1 << 20, 4096};
    RecordAct(files, Journals(false), ActAt(1), HoleChangeRows(Steps(18)), {}, limits);
    files.entries[u"\\\\srv\\cam"].kind = FileKind::Folder;
    EXPECT_TRUE(CatchUpJournals(files, Journals(), limits).ok());
    const FilePath first = kFolder + u"\\CAM1-20240501-140001";
    ASSERT_TRUE(files.Bytes(first + u".csv") && files.Bytes(first + u"-2.csv"));
    EXPECT_EQ(ActIds(*files.Bytes(first + u".csv")), (std::vector<std::string>{"a10100000000/1"}));
    EXPECT_EQ(ActIds(*files.Bytes(first + u"-2.csv")),
              (std::vector<std::string>{"a10100000000/2"}));
    EXPECT_EQ(ActIds(*files.Bytes(kShared)), (std::vector<std::string>{"a10100000000/3"}));
}

TEST(SeatJournal, AStartBringsTheOwedActsWhenTheFolderIsBack) {
    FakeFiles files;
    const std::vector<HoleChange> two = Steps(2);
    RecordAct(files, Journals(false), ActAt(1), HoleChangeRows(two), {});
    ASSERT_TRUE(files.Bytes(OwedPathBeside(kOwn)));
    files.entries[u"\\\\srv\\cam"].kind = FileKind::Folder;
    EXPECT_TRUE(CatchUpJournals(files, Journals()).ok());
    EXPECT_EQ(ActIds(*files.Bytes(kShared)), (std::vector<std::string>{"a10100000000/1"}));
    // A cut copy in the folder (the disk filled) is no copy: the act goes again, whole.
    const std::string shared = *files.Bytes(kShared);
    files.entries[kShared].bytes = shared.substr(0, shared.rfind("2024-05-01T14:00:01"));
    files.entries[OwedPathBeside(kOwn)].bytes = "a10100000000\t\\\\srv\\cam\\journal\\CAM1.csv\r\n";
    EXPECT_TRUE(CatchUpJournals(files, Journals()).ok());
    const JournalFile file = ReadJournal(*files.Bytes(kShared));
    ASSERT_EQ(file.acts.size(), 2u);
    EXPECT_TRUE(file.acts[0].cut);
    EXPECT_FALSE(file.acts[1].cut);
}

// A file of the seat's own that cannot be read for a while loses none of what it holds: an act
// owed to the rule folder stays owed, and a pending file taken is kept, until it can be read.
TEST(SeatJournal, AFileThatCannotBeReadForAWhileKeepsWhatItOwes) {
    FakeFiles files;
    files.entries[u"C:\\Users\\kim\\Quillet"].kind = FileKind::Folder;
    RecordAct(files, Journals(false), ActAt(1), HoleChangeRows(Steps(2)), {});
    files.entries[u"\\\\srv\\cam"].kind = FileKind::Folder;
    files.unreadable = {kOwn};
    EXPECT_TRUE(CatchUpJournals(files, Journals()).ok());
    EXPECT_FALSE(files.Bytes(kShared));
    EXPECT_TRUE(files.Bytes(OwedPathBeside(kOwn)));
    files.unreadable.clear();
    EXPECT_TRUE(CatchUpJournals(files, Journals()).ok());
    EXPECT_EQ(ActIds(*files.Bytes(kShared)), (std::vector<std::string>{"a10100000000/1"}));
    EXPECT_FALSE(files.Bytes(OwedPathBeside(kOwn)));

    const SeatJournals own{kOwn, {}, {}, false};
    files.held.insert(kOwn);
    RecordAct(files, own, ActAt(2), HoleChangeRows(Steps(2)), {});
    files.held.clear();
    files.unreadable = {u"C:\\Users\\kim\\Quillet\\journal.pending-001-7.taken"};
    EXPECT_TRUE(CatchUpJournals(files, own).ok());
    EXPECT_TRUE(files.Bytes(*files.unreadable.begin()));
    files.unreadable.clear();
    EXPECT_TRUE(CatchUpJournals(files, own).ok());
    EXPECT_FALSE(files.Bytes(u"C:\\Users\\kim\\Quillet\\journal.pending-001-7.taken"));
    EXPECT_EQ(ActIds(*files.Bytes(kOwn)),
              (std::vector<std::string>{"a10100000000/1", "a10200000000/1"}));
}

// An act the own journal cannot take waits in the pending file and goes into the journal,
// before the next act, in order.
TEST(SeatJournal, AnActTheOwnJournalCouldNotTakeWaitsInThePendingFile) {
    FakeFiles files;
    const std::vector<HoleChange> two = Steps(2);
    const SeatJournals own{kOwn, {}, {}, false};
    files.entries[u"C:\\Users\\kim\\Quillet"].kind = FileKind::Folder;
    files.held.insert(kOwn);
    std::vector<JournalMiss> misses = RecordAct(files, own, ActAt(1), HoleChangeRows(two), {});
    ASSERT_EQ(misses.size(), 1u);
    EXPECT_EQ(misses[0].waits, ActWaits::InPending);
    EXPECT_EQ(misses[0].waitsIn, PendingPathBeside(kOwn));
    RecordAct(files, own, ActAt(2), HoleChangeRows(two), {});
    files.held.clear();
    EXPECT_TRUE(RecordAct(files, own, ActAt(3), HoleChangeRows(two), {}).empty());
    EXPECT_EQ(ActIds(*files.Bytes(kOwn)),
              (std::vector<std::string>{"a10100000000/1", "a10200000000/1", "a10300000000/1"}));
    EXPECT_EQ(Names(files), (std::vector<FilePath>{u"C:\\Users\\kim\\Quillet", kOwn}));
    // Nowhere to keep it: told as lost.
    files.held = {kOwn, PendingPathBeside(kOwn)};
    misses = RecordAct(files, own, ActAt(4), HoleChangeRows(two), {});
    ASSERT_EQ(misses.size(), 1u);
    EXPECT_EQ(misses[0].waits, ActWaits::Lost);
}

// An act in parts whose first part went into the own journal and whose second did not (the file
// could not be rolled over): the pending file keeps it in the same parts, so the part that is
// there already is not taken for the whole act, and the one missing goes in after it.
TEST(SeatJournal, APartTheOwnJournalMissedGoesInFromThePendingFile) {
    FakeFiles files;
    const SeatJournals own{kOwn, {}, {}, false};
    const FilePath folder = u"C:\\Users\\kim\\Quillet";
    files.entries[folder].kind = FileKind::Folder;
    const JournalLimits limits{10, 1 << 20, 4096};
    const std::vector<HoleChange> twelve = Steps(12);  // parts of eight and four steps
    // The steps: part 1 appended, part 2's append, its read of the first act, its rename.
    files.failAt = 3;
    files.failure = {FileFault::Denied, 5};
    std::vector<JournalMiss> misses =
        RecordAct(files, own, ActAt(1), HoleChangeRows(twelve), {}, limits);
    ASSERT_EQ(misses.size(), 1u);
    ASSERT_EQ(misses[0].waits, ActWaits::InPending);
    ASSERT_EQ(ActIds(*files.Bytes(kOwn)), (std::vector<std::string>{"a10100000000/1"}));

    EXPECT_TRUE(RecordAct(files, own, ActAt(2), HoleChangeRows(Steps(1)), {}, limits).empty());
    std::map<std::string, size_t> rows;
    for (const auto& [path, entry] : files.entries) {
        if (entry.kind == FileKind::Folder) continue;
        const std::u16string_view name = std::u16string_view(path).substr(folder.size() + 1);
        EXPECT_TRUE(path == kOwn || IsRolledJournalName(name, u"journal")) << Narrow(path);
        size_t fileRows = 0;
        for (const JournalFile::Act& act : ReadJournal(entry.bytes).acts) {
            EXPECT_FALSE(act.cut);
            rows[act.head.act.actId] += act.rows.size();
            fileRows += act.rows.size() + 2;
        }
        EXPECT_LE(fileRows, limits.rows) << Narrow(path);
    }
    EXPECT_EQ(rows, (std::map<std::string, size_t>{{"a10100000000", 12}, {"a10200000000", 1}}));
}

HoleRule Rule(const char16_t* from, const char16_t* modify) {
    return {1, from, u"110", u"8", u"9", modify};
}

RuleTable TableOf(std::initializer_list<HoleRule> rules) {
    RuleTable table;
    for (const HoleRule& rule : rules) table.Append(rule);
    return table;
}

// A save that removes rule 2, changes rule 4 (now 3) and adds a rule at the end; rules 1 and
// 3 (now 2) are kept, renumbered or not, and are no rows.
TEST(RuleChanges, OneRowPerRuleAddedRemovedOrChanged) {
    const RuleTable before = TableOf(
        {Rule(u"101", u"8.5"), Rule(u"201", u"8.5"), Rule(u"301", u"8.5"), Rule(u"401", u"8.5")});
    const RuleTable after = TableOf(
        {Rule(u"101", u"8.5"), Rule(u"301", u"8.5"), Rule(u"401", u"8.6"), Rule(u"501", u"")});
    const std::vector<RuleChange> changes = RuleChangesBetween(before, after);
    const std::vector<RuleChange> expected = {
        {RuleEdit::Removed, 2, 2, "1 201 110 8 9 8.5", ""},
        {RuleEdit::Changed, 3, 4, "1 401 110 8 9 8.5", "1 401 110 8 9 8.6"},
        {RuleEdit::Added, 4, 0, "", "1 501 110 8 9 -"},
    };
    EXPECT_EQ(changes, expected);
    EXPECT_TRUE(RuleChangesBetween(after, after).empty());
    EXPECT_EQ(RuleChangesBetween(RuleTable(), after).size(), 4u);

    // As rows of a rules-saved act, read back.
    FakeFiles files;
    JournalAct act = ActAt(1, JournalAction::RulesSaved);
    act.ruleFileSha256 = Sha256Hex("new");
    act.previousSha256 = Sha256Hex("old");
    ASSERT_TRUE(AppendJournalAct(files, kOwn, act, RuleChangeRows(changes)).ok());
    const JournalFile file = ReadJournal(*files.Bytes(kOwn));
    ASSERT_EQ(file.acts.size(), 1u);
    EXPECT_EQ(file.acts[0].head.act.previousSha256, Sha256Hex("old"));
    ASSERT_EQ(file.acts[0].rows.size(), 3u);
    EXPECT_EQ(file.acts[0].rows[1].oldNumber, 4);
    EXPECT_EQ(file.acts[0].rows[1].newRule, "1 401 110 8 9 8.6");
    EXPECT_EQ(file.acts[0].rows[2].edit, RuleEdit::Added);
}

// Two processes appending to one file at once: whole acts, never rows of one among the other's.
TEST(JournalStore, TwoProcessesAppendWholeActsThatNeverInterleave) {
    std::string pattern = (std::filesystem::temp_directory_path() / "journal-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path journal = std::filesystem::path(pattern) / "CAM1.csv";
    constexpr int kActsEach = 8;
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SystemFilePort files;
            const std::vector<HoleChange> holes = Steps(500);
            int failed = 0;
            for (int act = 0; act < kActsEach; ++act) {
                JournalAct made = ActAt(act % 50);
                made.actId = std::to_string(process) + "-" + std::to_string(act);
                failed +=
                    !AppendJournalAct(files, journal.u16string(), made, HoleChangeRows(holes)).ok();
            }
            _exit(failed);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::ostringstream bytes;
    bytes << std::ifstream(journal, std::ios::binary).rdbuf();
    const JournalFile file = ReadJournal(bytes.str());
    EXPECT_TRUE(file.problems.empty());
    ASSERT_EQ(file.acts.size(), 2u * kActsEach);
    for (const JournalFile::Act& act : file.acts) EXPECT_EQ(act.rows.size(), 500u);
    std::filesystem::remove_all(pattern);
}

TEST(RuleTables, KeepsEachTableOnceByItsContentAndMendsOneCutShort) {
    FakeFiles files;
    const std::string sha = Sha256Hex("table");
    ASSERT_TRUE(KeepRuleTable(files, kShared, sha, "table").ok());
    const FilePath path = TablePathIn(TablesFolderBeside(kShared), sha);
    EXPECT_EQ(path, kFolder + u"\\tables\\" + std::u16string(sha.begin(), sha.end()) + u".def");
    EXPECT_EQ(files.Bytes(path), "table");
    const int writes = files.steps - files.reads;
    ASSERT_TRUE(KeepRuleTable(files, kShared, sha, "table").ok());
    EXPECT_EQ(files.steps - files.reads, writes);  // there already: nothing written
    EXPECT_EQ(KeptRuleTable(files, kShared, sha), "table");
    // Cut short while it was being made: not taken for the table, and written again whole.
    files.entries[path].bytes = "tab";
    EXPECT_FALSE(KeptRuleTable(files, kShared, sha));
    ASSERT_TRUE(KeepRuleTable(files, kShared, sha, "table").ok());
    EXPECT_EQ(files.Bytes(path), "table");
}

}  // namespace

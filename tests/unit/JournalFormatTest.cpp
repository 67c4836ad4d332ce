// The journal's file format: the rows an act is written as, read back as a stream, the first
// format read as well, what cannot be read left out and told; its times and SHA-256.
#include "journal/JournalFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "FakeFiles.h"
#include "command/RewriteJournal.h"
#include "journal/JournalReader.h"
#include "journal/Sha256.h"

namespace {

TEST(Sha256, KnownVectorsAndEveryPaddingBoundary) {
    const struct {
        std::string bytes;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
        {std::string(1'000'000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Hex(c.bytes), c.digest) << c.bytes.size();
}

TEST(JournalTime, WritesAndReadsIsoTimesWithOffsets) {
    struct Case {
        CivilTime local;
        int32_t offset;
        const char* iso;
    };
    const Case cases[] = {
        {{2024, 5, 1, 14, 3, 7, 250}, 540, "2024-05-01T14:03:07.250+09:00"},
        {{2024, 2, 29, 0, 0, 0, 0}, -210, "2024-02-29T00:00:00.000-03:30"},
        {{1969, 12, 31, 23, 59, 59, 999}, 0, "1969-12-31T23:59:59.999+00:00"},
    };
    for (const Case& c : cases) {
        const Timestamp time = TimestampOfLocal(c.local, c.offset);
        EXPECT_EQ(IsoTimestamp(time), c.iso);
        const std::optional<IsoTime> read = ParseIsoTime(c.iso);
        ASSERT_TRUE(read && read->offsetMinutes) << c.iso;
        EXPECT_EQ(TimestampOfLocal(read->local, *read->offsetMinutes), time) << c.iso;
    }
    // The same instant seen from two seats.
    EXPECT_EQ(TimestampOfLocal({2024, 5, 1, 5, 3, 7, 0}, 0).utcMilliseconds,
              TimestampOfLocal({2024, 5, 1, 14, 3, 7, 0}, 540).utcMilliseconds);
    EXPECT_EQ(LocalTimeText(TimestampOfLocal({2024, 5, 1, 14, 3, 7, 250}, 540)),
              "2024-05-01 14:03:07");
    EXPECT_EQ(IsoTimestampToSecond(TimestampOfLocal({2024, 5, 1, 14, 3, 7, 250}, -90)),
              "2024-05-01T14:03:07-01:30");
    EXPECT_EQ(FileNameTime(TimestampOfLocal({2024, 5, 1, 4, 3, 7, 0}, 540)), "20240501-040307");

    for (const char* text : {"2024-05-01", "2024-05-01T14:03", "2024-05-01 14:03:07Z",
                             "2024-05-01T14:03:07.1234+0900"}) {
        EXPECT_TRUE(ParseIsoTime(text)) << text;
    }
    for (const char* text : {"2023-02-29", "2024-13-01", "2024-5-1", "2024-05-01T24:00",
                             "2024-05-01T14:03:07.", "2024-05-01T14:03+9", "2024-05-01x"}) {
        EXPECT_FALSE(ParseIsoTime(text)) << text;
    }
}

JournalAct Act(JournalAction action = JournalAction::Rewrite) {
    JournalAct act;
    act.time = TimestampOfLocal({2024, 5, 1, 14, 3, 7, 0}, 540);  // rows keep the second
    act.user = "kim, j";
    act.computer = "=CAM1";
    act.action = action;
    act.actId = "00ff00ff00ff";
    act.rewriteId = action == JournalAction::Undo ? "aaaaaaaaaaaa" : act.actId;
    if (action == JournalAction::Undo) act.left = "changed:4;gone:2,99";
    act.ruleFile = "\\\\srv\\cam\\Quillet.def";
    act.ruleFileSha256 = Sha256Hex("");
    return act;
}

std::vector<HoleChange> Changes() {
    RuleSet chain, one;
    chain.Add(1);
    chain.Add(7);
    one.Add(2);
    return {{12, {{1, 101, 8.3, 8.6, chain}, {3, -5, 0.1 + 0.2, 1e-05, one}}},
            {14, {{2, 116, -0.0, 8.5, one}}}};
}

const FilePath kPath = u"C:\\j\\journal.csv";
const std::string kPrefix = "2024-05-01T14:03:07+09:00,\"kim, j\",'=CAM1,00ff00ff00ff,rewrite,";

TEST(JournalRows, AnActIsItsBeginRowOneRowPerStepAndItsEndRow) {
    FakeFiles files;
    const std::vector<HoleChange> changes = Changes();
    ASSERT_TRUE(AppendJournalAct(files, kPath, Act(), HoleChangeRows(changes)).ok());
    EXPECT_EQ(*files.Bytes(kPath),
              "\xEF\xBB\xBF" + std::string(kJournalHeader) + "\r\n" + kPrefix +
                  ",,,,,,begin rows=3 holes=2 steps=1:1;2:2;7:1 table=" + Sha256Hex("") +
                  " file=\\\\srv\\cam\\Quillet.def\r\n" +                 //
                  kPrefix + "12,1,101,8.3,8.6,1 7,\r\n" +                 //
                  kPrefix + "12,3,-5,0.30000000000000004,1e-05,2,\r\n" +  //
                  kPrefix + "14,2,116,-0,8.5,2,\r\n" +                    //
                  kPrefix + ",,,,,,end total=5\r\n");
    // Nothing for an act without steps, unless it left holes (an undo that restored none): then
    // its begin and end rows, read back as a whole act.
    const std::vector<HoleChange> none = {{3, {}}};
    ASSERT_TRUE(AppendJournalAct(files, u"C:\\j\\other.csv", Act(), HoleChangeRows(none)).ok());
    EXPECT_FALSE(files.Bytes(u"C:\\j\\other.csv").value_or("").size());
    ASSERT_TRUE(
        AppendJournalAct(files, u"C:\\j\\other.csv", Act(JournalAction::Undo), HoleChangeRows(none))
            .ok());
    const JournalFile undo = ReadJournal(files.Bytes(u"C:\\j\\other.csv").value_or(""));
    ASSERT_EQ(undo.acts.size(), 1u);
    EXPECT_TRUE(!undo.acts[0].cut && undo.acts[0].rows.empty() && undo.problems.empty());
    EXPECT_EQ(undo.acts[0].head.act, Act(JournalAction::Undo));
}

// However small the buffer, the bytes are the same, handed over in many pieces.
TEST(JournalRows, ABoundedBufferGivesTheSameBytesInPieces) {
    const std::vector<HoleChange> changes = Changes();
    std::string whole, pieces;
    size_t flushes = 0;
    JournalRowWriter big(Act(), 1 << 20, [&](std::string_view bytes) {
        whole += bytes;
        return true;
    });
    JournalRowWriter small(Act(), 0, [&](std::string_view bytes) {
        pieces += bytes;
        ++flushes;
        return bytes.size() <= 4096;
    });
    for (JournalRowWriter* out : {&big, &small}) {
        for (int i = 0; i < 200; ++i) HoleChangeRows(changes).Write(0, 3, *out);
        EXPECT_TRUE(out->Finish());
    }
    EXPECT_EQ(pieces, whole);
    EXPECT_GT(flushes, 10u);
    // A flush that fails stops the writer and is told.
    JournalRowWriter failing(Act(), 0, [](std::string_view) { return false; });
    for (int i = 0; i < 200; ++i) HoleChangeRows(changes).Write(0, 3, failing);
    EXPECT_FALSE(failing.Finish());
}

TEST(ReadJournal, ReadsBackActsOfEveryKindWithTheirSummaries) {
    FakeFiles files;
    const std::vector<HoleChange> changes = Changes();
    ASSERT_TRUE(AppendJournalAct(files, kPath, Act(), HoleChangeRows(changes)).ok());
    ASSERT_TRUE(AppendJournalAct(files, kPath, Act(JournalAction::Undo),
                                 HoleChangeRows(std::span(changes).first(1)))
                    .ok());
    JournalRowWriter saved(Act(JournalAction::RulesSaved), 0, [&](std::string_view bytes) {
        files.entries[kPath].bytes += bytes;
        return true;
    });
    saved.Begin({2, 0, {}, 1, 1});
    saved.Rule(RuleEdit::Changed, 3, 4, "1 101 110 8 9 8.5", "1 101 110 8 9 8.6");
    saved.Rule(RuleEdit::Added, 5, 0, "", "0 - 9 1 2 3");
    saved.End(11);
    ASSERT_TRUE(saved.Finish());

    const JournalFile file = ReadJournal(*files.Bytes(kPath));
    ASSERT_TRUE(file.isJournal);
    EXPECT_TRUE(file.problems.empty());
    ASSERT_EQ(file.acts.size(), 3u);
    const JournalFile::Act& rewrite = file.acts[0];
    EXPECT_EQ(rewrite.head.act, Act());
    EXPECT_TRUE(rewrite.head.summaryKnown);
    EXPECT_EQ(rewrite.head.summary, (JournalActSummary{3, 2, {{1, 1}, {2, 2}, {7, 1}}, 1, 1}));
    ASSERT_EQ(rewrite.rows.size(), 3u);
    EXPECT_EQ(rewrite.rows[0].rules, (std::vector<int32_t>{1, 7}));
    EXPECT_EQ(rewrite.rows[1].before, 0.1 + 0.2);
    EXPECT_TRUE(std::signbit(rewrite.rows[2].before));
    EXPECT_FALSE(rewrite.cut);
    EXPECT_EQ(file.acts[1].head.act.rewriteId, "aaaaaaaaaaaa");
    EXPECT_EQ(file.acts[1].head.act.left, "changed:4;gone:2,99");
    const JournalFile::Act& save = file.acts[2];
    ASSERT_EQ(save.rows.size(), 2u);
    EXPECT_EQ(save.rows[0].edit, RuleEdit::Changed);
    EXPECT_EQ(save.rows[0].oldNumber, 4);
    EXPECT_EQ(save.rows[0].rules, std::vector<int32_t>{3});
    EXPECT_EQ(save.rows[0].newRule, "1 101 110 8 9 8.6");
    EXPECT_EQ(save.rows[1].edit, RuleEdit::Added);
    EXPECT_EQ(save.rows[1].oldRule, "");
}

// Lines that cross the reader's pieces read the same as lines within one.
TEST(ReadJournal, LinesAcrossTheReadersPiecesReadWhole) {
    FakeFiles files;
    const std::vector<HoleChange> changes = Changes();
    ASSERT_TRUE(AppendJournalAct(files, kPath, Act(), HoleChangeRows(changes)).ok());
    ASSERT_TRUE(
        AppendJournalAct(files, kPath, Act(JournalAction::Undo), HoleChangeRows(changes)).ok());
    const std::string bytes = *files.Bytes(kPath);
    for (const size_t piece : {1u, 7u, 64u}) {
        JournalReader reader(MemoryStream(bytes), piece);
        ASSERT_TRUE(reader.Open());
        JournalActHead head;
        std::vector<JournalRow> rows;
        int acts = 0;
        while (reader.NextAct(head)) {
            ++acts;
            EXPECT_EQ(head.summary.rows, 3u);
            JournalRow row;
            int64_t line = 0;
            while (reader.NextRow(row, line)) rows.push_back(row);
            EXPECT_FALSE(reader.ActCut());
        }
        EXPECT_EQ(acts, 2) << piece;
        ASSERT_EQ(rows.size(), 6u) << piece;
        EXPECT_EQ(rows[5].after, 8.5);
        EXPECT_TRUE(reader.TakeProblems().empty());
    }
}

// A disk that fills mid-act leaves rows without the act's end: the act is read with what it
// holds and told as cut, wherever the cut falls, and the next act begins on a line of its own.
TEST(ReadJournal, RecognisesACutActByItsMissingEnd) {
    const std::vector<HoleChange> changes = Changes();
    FakeFiles whole;
    ASSERT_TRUE(AppendJournalAct(whole, kPath, Act(), HoleChangeRows(changes)).ok());
    const std::string bytes = *whole.Bytes(kPath);
    const size_t lastRow = bytes.rfind(kPrefix + "14,");
    for (const size_t cutAt : {lastRow, lastRow + 40}) {
        FakeFiles files;
        files.entries[kPath].bytes = bytes.substr(0, cutAt);
        JournalAct next = Act();
        next.actId = "111111111111";
        ASSERT_TRUE(AppendJournalAct(files, kPath, next, HoleChangeRows(changes)).ok());
        const JournalFile file = ReadJournal(*files.Bytes(kPath));
        ASSERT_EQ(file.acts.size(), 2u) << cutAt;
        EXPECT_TRUE(file.acts[0].cut);
        EXPECT_EQ(file.acts[0].rows.size(), 2u);
        EXPECT_FALSE(file.acts[1].cut);
        EXPECT_EQ(file.acts[1].rows.size(), 3u);
        std::vector<JournalFault> faults;
        for (const JournalProblem& problem : file.problems) faults.push_back(problem.fault);
        const std::vector<std::string> told = {"00ff00ff00ff", "2", "3"};
        ASSERT_FALSE(file.problems.empty());
        EXPECT_EQ(file.problems.back().fault, JournalFault::CutAct);
        EXPECT_EQ(file.problems.back().values, told);
        // The end row counts the rows the file holds, the cut one with them.
        const std::optional<uint64_t> total = FileRowsOfEndLine(
            files.Bytes(kPath)->substr(files.Bytes(kPath)->rfind(kPrefix.substr(0, 20))));
        EXPECT_EQ(total, cutAt == lastRow ? 8u : 9u);
    }
    FakeFiles lastCut;
    lastCut.entries[kPath].bytes = bytes.substr(0, lastRow + 10);
    const JournalFile file = ReadJournal(*lastCut.Bytes(kPath));
    ASSERT_EQ(file.acts.size(), 1u);
    EXPECT_TRUE(file.acts[0].cut);
}

// Journals written before acts had rows of their own: an act is a run of rows that share
// their time, user, seat, action and ids.
TEST(ReadJournal, ReadsTheFirstFormatAndLeavesOutWhatItCannotRead) {
    std::string bytes = "\xEF\xBB\xBF" + std::string(kFirstJournalHeader) + "\r\n";
    const std::string a = "2024-05-01T14:03:07.250+09:00,kim,CAM1,rewrite,aa,Q.def,00,";
    bytes += a + "12,1,101,8.3,8.6,\"1, 7\"\r\n";
    bytes += a + "14,1,116,8.3,8.6,1\r\n";
    bytes += "2024-05-01T15:00:00.000+09:00,kim,CAM1,undo,aa,Q.def,00,12,1,101,8.6,8.3,1\r\n";
    bytes += "2024-05-01T14:03:07+09:00,u,c,redo,id,f,s,1,1,101,8.3,8.5,1\r\n";
    bytes += "2024-05-01T14:03:07,u,c,undo,id,f,s,1,1,101,8.3,8.5,1\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,0,101,8.3,8.5,1\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,1,101,8.3,x,1\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,1,101,8.3,8.5,\"1, 0\"\r\n";
    bytes += "2024-05-01T14:03:07Z,\"u,c,undo,id,f,s,1,1,101,8.3,8.5,1\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,1,101,8.3,8.5\r\n";
    bytes += std::string(kMostJournalLine + 5, 'x') + "\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,1,101,8.3,8.5,\"1, 1";  // cut short

    const JournalFile file = ReadJournal(bytes);
    ASSERT_TRUE(file.isJournal);
    ASSERT_EQ(file.acts.size(), 2u);
    EXPECT_FALSE(file.acts[0].head.summaryKnown);
    EXPECT_EQ(file.acts[0].head.act.rewriteId, "aa");
    EXPECT_EQ(file.acts[0].head.act.ruleFileSha256, "00");
    EXPECT_EQ(file.acts[0].rows.size(), 2u);
    EXPECT_EQ(file.acts[0].rows[0].rules, (std::vector<int32_t>{1, 7}));
    EXPECT_EQ(file.acts[1].head.act.action, JournalAction::Undo);
    std::vector<int64_t> lines;
    std::vector<JournalFault> faults;
    for (const JournalProblem& problem : file.problems) {
        lines.push_back(problem.line);
        faults.push_back(problem.fault);
    }
    EXPECT_EQ(lines, (std::vector<int64_t>{5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(faults,
              (std::vector<JournalFault>{
                  JournalFault::Action, JournalFault::Time, JournalFault::HoleStepCode,
                  JournalFault::BeforeAfter, JournalFault::Rules, JournalFault::UnpairedQuote,
                  JournalFault::ColumnCount, JournalFault::TooLong, JournalFault::CutShort}));
    EXPECT_EQ(file.problems[2].values, (std::vector<std::string>{"1", "0", "101"}));
    EXPECT_EQ(file.problems[6].values, (std::vector<std::string>{"12"}));

    EXPECT_TRUE(ReadJournal("").isJournal);
    EXPECT_TRUE(ReadJournal("\xEF\xBB\xBF").acts.empty());
    const JournalFile other = ReadJournal("enabled,code_from\r\n1,2\r\n");
    EXPECT_FALSE(other.isJournal);
    ASSERT_EQ(other.problems.size(), 1u);
    EXPECT_EQ(other.problems[0].fault, JournalFault::NotAHeader);
}

}  // namespace

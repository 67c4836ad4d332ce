// The journal's rows and their reading back, its times, and the SHA-256 of the rule file.
#include "command/RewriteJournal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "command/Sha256.h"

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

    for (const char* text : {"2024-05-01", "2024-05-01T14:03", "2024-05-01 14:03:07Z",
                             "2024-05-01T14:03:07.1234+0900"}) {
        EXPECT_TRUE(ParseIsoTime(text)) << text;
    }
    for (const char* text : {"2023-02-29", "2024-13-01", "2024-5-1", "2024-05-01T24:00",
                             "2024-05-01T14:03:07.", "2024-05-01T14:03+9", "2024-05-01x"}) {
        EXPECT_FALSE(ParseIsoTime(text)) << text;
    }
}

JournalAct Act() {
    JournalAct act;
    act.time = TimestampOfLocal({2024, 5, 1, 14, 3, 7, 250}, 540);
    act.user = "kim, j";
    act.computer = "=CAM1";
    act.rewriteId = "00ff00ff00ff00ff";
    act.ruleFile = " \\\\srv\\cam\\\"Quillet\".def";
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

const std::string kPrefix =
    "2024-05-01T14:03:07.250+09:00,\"kim, j\",'=CAM1,rewrite,00ff00ff00ff00ff,"
    "\" \\\\srv\\cam\\\"\"Quillet\"\".def\","
    "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855,";

TEST(JournalRows, OneEscapedRowPerStepWithShortestDecimals) {
    EXPECT_EQ(JournalRows(Act(), Changes()),
              kPrefix + "12,1,101,8.3,8.6,\"1, 7\"\r\n" +                //
                  kPrefix + "12,3,-5,0.30000000000000004,1e-05,2\r\n" +  //
                  kPrefix + "14,2,116,-0,8.5,2\r\n");
    JournalAct undo = Act();
    undo.action = JournalAction::Undo;
    undo.user = "line\r\nbreak";
    EXPECT_EQ(JournalRows(undo, Changes()).substr(30, 30), "line  break,'=CAM1,undo,00ff00");
}

TEST(JournalRows, AppendStartsANewFileAndMendsACutRow) {
    const std::string rows = JournalRows(Act(), Changes());
    const std::string header = std::string(kJournalHeader) + "\r\n";
    EXPECT_EQ(JournalBytesToAppend(0, "", Act(), Changes()), "\xEF\xBB\xBF" + header + rows);
    EXPECT_EQ(JournalBytesToAppend(3, "\xEF\xBB\xBF", Act(), Changes()), header + rows);
    EXPECT_EQ(JournalBytesToAppend(900, "2\r\n", Act(), Changes()), rows);
    EXPECT_EQ(JournalBytesToAppend(900, "\",1", Act(), Changes()), "\r\n" + rows);
    EXPECT_EQ(JournalBytesToAppend(0, "", Act(), {}), "");
}

TEST(ReadJournal, ReadsBackWhatIsWrittenAndLeavesOutWhatItCannotRead) {
    JournalAct undo = Act();
    undo.action = JournalAction::Undo;
    undo.computer = "''=x";
    std::string bytes = JournalBytesToAppend(0, "", Act(), Changes());
    const std::vector<HoleChange> changes = Changes();
    bytes += JournalRows(undo, std::span(changes).first(1));
    const size_t rowsWritten = 5;
    bytes += "2024-05-01T14:03:07+09:00,u,c,redo,id,f,s,1,1,101,8.3,8.5,1\r\n";
    bytes += "2024-05-01T14:03:07,u,c,undo,id,f,s,1,1,101,8.3,8.5,1\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,0,101,8.3,8.5,1\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,1,101,8.3,x,1\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,1,101,8.3,8.5,\"1, 0\"\r\n";
    bytes += "2024-05-01T14:03:07Z,\"u,c,undo,id,f,s,1,1,101,8.3,8.5,1\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,1,101,8.3,8.5\r\n";
    bytes += "\r\n";
    bytes += "2024-05-01T14:03:07Z,u,c,undo,id,f,s,1,1,101,8.3,8.5,\"1, 1";  // cut short

    const JournalFile file = ReadJournal(bytes);
    ASSERT_TRUE(file.isJournal);
    ASSERT_EQ(file.rows.size(), rowsWritten);
    ASSERT_EQ(file.acts.size(), 2u);
    EXPECT_EQ(file.acts[0], Act());
    EXPECT_EQ(file.acts[1], undo);
    const JournalRow& chained = file.rows[0];
    EXPECT_EQ(chained.line, 2);
    EXPECT_EQ(chained.act, 0u);
    EXPECT_EQ((std::vector<int32_t>{chained.hole, chained.step, chained.code}),
              (std::vector<int32_t>{12, 1, 101}));
    EXPECT_EQ(chained.rules, (std::vector<int32_t>{1, 7}));
    EXPECT_EQ(file.rows[1].before, 0.1 + 0.2);
    EXPECT_TRUE(std::signbit(file.rows[2].before));
    EXPECT_EQ(file.rows[4].act, 1u);
    std::vector<int> problemLines;
    for (const JournalProblem& problem : file.problems) problemLines.push_back(problem.line);
    EXPECT_EQ(problemLines, (std::vector<int>{7, 8, 9, 10, 11, 12, 13, 15}));
    std::vector<JournalFault> faults;
    for (const JournalProblem& problem : file.problems) faults.push_back(problem.fault);
    EXPECT_EQ(faults,
              (std::vector<JournalFault>{JournalFault::Action, JournalFault::Time,
                                         JournalFault::HoleStepCode, JournalFault::BeforeAfter,
                                         JournalFault::Rules, JournalFault::UnpairedQuote,
                                         JournalFault::ColumnCount, JournalFault::CutShort}));
    EXPECT_EQ(file.problems[0].values, (std::vector<std::string>{"redo"}));
    EXPECT_EQ(file.problems[2].values, (std::vector<std::string>{"1", "0", "101"}));
    EXPECT_EQ(file.problems[3].values, (std::vector<std::string>{"8.3", "x"}));
    EXPECT_EQ(file.problems[4].values, (std::vector<std::string>{"1, 0"}));
    EXPECT_EQ(file.problems[6].values, (std::vector<std::string>{"12"}));

    EXPECT_TRUE(ReadJournal("").isJournal);
    EXPECT_TRUE(ReadJournal("\xEF\xBB\xBF").rows.empty());
    const JournalFile other = ReadJournal("enabled,code_from\r\n1,2\r\n");
    EXPECT_FALSE(other.isJournal);
    ASSERT_EQ(other.problems.size(), 1u);
    EXPECT_EQ(other.problems[0].fault, JournalFault::NotAHeader);
    EXPECT_TRUE(other.rows.empty());
}

}  // namespace

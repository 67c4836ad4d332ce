#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "standin/Drawing.h"
#include "standin/DrawingFile.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr std::string_view kSmallDrawing =
    "\xEF\xBB\xBF# two holes and a loose element\r\n"
    "hole 7\r\n"
    "element 1 101\r\n"
    "element\t1\t102 4   # a further element, kind 4\r\n"
    "step 101 8.3\r\n"
    "step 230 8\r\n"
    "\r\n"
    "hole 9 excluded\n"
    "element 2 201\n"
    "step 101 8.1\n"
    "loose 1 900\n";

Drawing& LoadSmall(Drawing& drawing) {
    auto error = LoadDrawingText(kSmallDrawing, drawing);
    EXPECT_FALSE(error) << error->Describe();
    return drawing;
}

std::vector<double> Diameters(const HoleRecord& record) {
    std::vector<double> diameters;
    for (int32_t i = 0; i < record.stepCount; ++i) diameters.push_back(record.steps[i].diameter);
    return diameters;
}

// ---- The text format ----

TEST(DrawingFile, ReadsHolesStepsElementsAndLooseOnes) {
    Drawing drawing;
    LoadSmall(drawing);

    EXPECT_THAT(drawing.HoleIds(), ElementsAre(7, 9));
    const HoleRecord* seven = drawing.FindHole(7);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->excluded, 0);
    ASSERT_EQ(seven->stepCount, 2);
    EXPECT_EQ(seven->steps[0].code, 101);
    EXPECT_EQ(seven->steps[0].diameter, 8.3);
    EXPECT_EQ(seven->steps[1].code, 230);
    EXPECT_EQ(seven->steps[1].diameter, 8.0);
    EXPECT_NE(drawing.FindHole(9)->excluded, 0);

    EXPECT_EQ(drawing.KepElmGetSegment(kDefaultElementKind, 101), 1);
    EXPECT_EQ(drawing.KepElmGetSegment(4, 102), 1);
    EXPECT_EQ(drawing.KepHolGetHoleId({102, 1}), 7);
    EXPECT_EQ(drawing.KepHolGetHoleId({201, 2}), 9);
    EXPECT_EQ(drawing.KepElmGetSegment(kDefaultElementKind, 900), 1);
    EXPECT_EQ(drawing.KepHolGetHoleId({900, 1}), kNoHole);
}

TEST(DrawingFile, ReportsTheFirstBadLineAndLeavesTheDrawingAsItWas) {
    struct Case {
        std::string text;
        int32_t line;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"hole 1\nhoel 2\n", 2, "unknown statement 'hoel'"},
        {"element 1 101\n", 1, "element before the first hole"},
        {"# c\nstep 101 8\n", 2, "step before the first hole"},
        {"hole x\n", 1, "hole id 'x' is not an integer"},
        {"hole 1\nelement 1 10a\n", 2, "element number '10a' is not an integer"},
        {"hole 1\nelement 1 10 k\n", 2, "element kind 'k' is not an integer"},
        {"loose 1\n", 1, "expected: loose SEGMENT NUMBER [KIND]"},
        {"hole 1\nstep 101 8,5\n", 2, "diameter '8,5' is not a finite number"},
        {"hole 1\nstep 101 inf\n", 2, "is not a finite number"},
        {"hole 1\nstep 101 nan\n", 2, "is not a finite number"},
        {"hole 1\nstep 101\n", 2, "expected: step CODE DIAMETER"},
        {"hole 99999999999\n", 1, "is not an integer"},
        {"hole -1\n", 1, "reserved"},
        {"hole 1 exclude\n", 1, "expected 'excluded'"},
        {"hole 1 excluded now\n", 1, "expected: hole ID [excluded]"},
        {"hole 1\nhole 2\nhole 1\n", 3, "hole 1 is defined twice"},
        {"hole 1\nelement 1 5\nloose 2 5\n", 3, "element 5 is defined twice"},
    };
    for (const Case& c : cases) {
        Drawing drawing;
        auto error = LoadDrawingText(c.text, drawing);
        ASSERT_TRUE(error) << c.text;
        EXPECT_EQ(error->line, c.line) << c.text;
        EXPECT_THAT(error->message, HasSubstr(c.message)) << c.text;
        EXPECT_THAT(drawing.HoleIds(), IsEmpty()) << c.text;
    }
}

TEST(DrawingFile, RefusesIdsTheDrawingAlreadyHolds) {
    Drawing drawing;
    LoadSmall(drawing);
    auto error = LoadDrawingText("hole 20\nelement 1 101\n", drawing);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Describe(), "line 2: element 101 is defined twice");
    EXPECT_EQ(drawing.FindHole(20), nullptr);
}

TEST(DrawingFile, ReportsAMissingFile) {
    Drawing drawing;
    auto error = LoadDrawingFile("/nonexistent/plate.drawing", drawing);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 0);
    EXPECT_EQ(error->Describe(),
              "cannot open /nonexistent/plate.drawing: No such file or directory");
}

// ---- Elements and selection ----

TEST(Drawing, ResolvesElementsOnlyWithMatchingKindAndSegment) {
    Drawing drawing;
    LoadSmall(drawing);
    EXPECT_EQ(drawing.KepElmGetSegment(4, 101), -1);  // kind differs
    EXPECT_EQ(drawing.KepElmGetSegment(kDefaultElementKind, 555), -1);
    EXPECT_EQ(drawing.KepHolGetHoleId({101, 2}), kNoHole);  // segment differs
    EXPECT_EQ(drawing.KepHolGetHoleId({1, 101}), kNoHole);  // fields swapped
}

TEST(Drawing, SelectionCursorHandsOutWholeEntriesInOrder) {
    Drawing drawing;
    LoadSmall(drawing);
    drawing.SelectAll();
    void* handle = drawing.KepIddOpenSelIdData(1);
    ASSERT_NE(handle, nullptr);

    std::vector<SelectionEntry> entries;
    SelectionEntry entry{};
    for (int32_t result = drawing.KepIddGetHeadSelIdData(handle, entry); result != -1;
         result = drawing.KepIddGetNextSelIdData(handle, entry)) {
        entries.push_back(entry);
    }
    ASSERT_EQ(entries.size(), 4u);
    const std::vector<std::pair<int32_t, int32_t>> expected = {
        {1, 101}, {1, 102}, {2, 201}, {1, 900}};
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].segment, expected[i].first);
        EXPECT_EQ(entries[i].element, expected[i].second);
        auto words = SelectionPatternWords(i);
        EXPECT_EQ(entries[i].opaque[0], words[0]);
        EXPECT_EQ(entries[i].opaque[1], words[1]);
    }
    // Head starts over.
    EXPECT_EQ(drawing.KepIddGetHeadSelIdData(handle, entry), 0);
    EXPECT_EQ(entry.element, 101);

    drawing.KepIddCloseSelIdData(handle);
    EXPECT_EQ(drawing.KepIddGetNextSelIdData(handle, entry), -1);
}

TEST(Drawing, ClearingTheSelectionEmptiesIt) {
    Drawing drawing;
    LoadSmall(drawing);
    drawing.Select(1, 101);
    EXPECT_EQ(drawing.KepIddClearSysIdData(), 0);
    void* handle = drawing.KepIddOpenSelIdData(1);
    SelectionEntry entry{};
    EXPECT_EQ(drawing.KepIddGetHeadSelIdData(handle, entry), -1);
}

TEST(Drawing, SelectedHoleIdsAreDistinctInSelectionOrder) {
    Drawing drawing;
    LoadSmall(drawing);
    EXPECT_TRUE(drawing.Select(2, 201));
    EXPECT_TRUE(drawing.Select(1, 900));  // loose
    drawing.Select(1, 102);
    drawing.Select(1, 101);
    EXPECT_FALSE(drawing.Select(3, 101));  // wrong segment
    EXPECT_FALSE(drawing.Select(1, 555));  // no such element
    EXPECT_THAT(drawing.SelectedHoleIds(), ElementsAre(9, 7));
}

// ---- Reads and amendments ----

TEST(Drawing, RecordsCarryTheirHolesOpaquePattern) {
    Drawing drawing;
    LoadSmall(drawing);
    HoleRecord record{};
    ASSERT_EQ(drawing.KepHolGetHoleData(7, record), 0);
    const auto* bytes = reinterpret_cast<const std::byte*>(&record);
    EXPECT_EQ(bytes[0], RecordPatternByte(7, 0));
    EXPECT_EQ(bytes[80], RecordPatternByte(7, 80));
    const auto* step = reinterpret_cast<const std::byte*>(&record.steps[1]);
    EXPECT_EQ(step[4], StepPatternByte(7, 1, 4));
    EXPECT_EQ(step[239], StepPatternByte(7, 1, 239));
    EXPECT_NE(RecordPatternByte(7, 0), RecordPatternByte(9, 0));
}

TEST(Drawing, WritesIntoAReadReachTheHoleOnlyThroughAnAmendmentOfThatRead) {
    Drawing drawing;
    LoadSmall(drawing);
    HoleRecord record{};
    ASSERT_EQ(drawing.KepHolGetHoleData(7, record), 0);
    ASSERT_NE(record.steps, drawing.FindHole(7)->steps);
    record.steps[0].diameter = 8.5;
    EXPECT_THAT(Diameters(*drawing.FindHole(7)), ElementsAre(8.3, 8.0));

    ASSERT_TRUE(drawing.FailCall("KepHolAmendHoleData", 1));
    EXPECT_EQ(drawing.KepHolAmendHoleData(7, record), -1);
    EXPECT_THAT(Diameters(*drawing.FindHole(7)), ElementsAre(8.3, 8.0));
    EXPECT_EQ(drawing.AmendCount(7), 0);

    EXPECT_EQ(drawing.KepHolAmendHoleData(7, record), 0);
    EXPECT_THAT(Diameters(*drawing.FindHole(7)), ElementsAre(8.5, 8.0));
    EXPECT_EQ(drawing.AmendCount(7), 1);
    // The working copy is committed: amending again needs a new read.
    EXPECT_EQ(drawing.KepHolAmendHoleData(7, record), -1);
    EXPECT_EQ(drawing.Log().back(),
              "KepHolAmendHoleData refused: hole 7: not read since its last amendment");
}

TEST(Drawing, EachReadHandsOutAFreshCopyAndOnlyTheLastOneCanBeAmended) {
    Drawing drawing;
    LoadSmall(drawing);
    HoleRecord first{};
    HoleRecord second{};
    ASSERT_EQ(drawing.KepHolGetHoleData(7, first), 0);
    const HoleStep* firstSteps = first.steps;
    ASSERT_EQ(drawing.KepHolGetHoleData(7, second), 0);
    EXPECT_NE(second.steps, firstSteps);
    EXPECT_EQ(second.steps[0].diameter, 8.3);

    HoleRecord own = second;  // a record whose steps are the module's own copy
    std::vector<HoleStep> copy(second.steps, second.steps + second.stepCount);
    copy[0].diameter = 1.0;
    own.steps = copy.data();
    EXPECT_EQ(drawing.KepHolAmendHoleData(7, own), -1);
    EXPECT_EQ(drawing.Log().back(),
              "KepHolAmendHoleData refused: hole 7: a steps address the last read did not "
              "hand out");
    EXPECT_EQ(drawing.KepHolAmendHoleData(7, first), -1);  // an earlier read's
    EXPECT_THAT(Diameters(*drawing.FindHole(7)), ElementsAre(8.3, 8.0));
    EXPECT_EQ(drawing.AmendCount(7), 0);
}

TEST(Drawing, AmendmentsThatChangeMoreThanDiametersAreRefused) {
    const std::pair<const char*, void (*)(HoleRecord&)> edits[] = {
        {"a record byte changed", [](HoleRecord& r) { r.opaque0[3] = std::byte{0x11}; }},
        {"a record byte changed", [](HoleRecord& r) { r.stepCount = 1; }},
        {"a record byte changed", [](HoleRecord& r) { r.excluded = 1; }},
        {"step 2: a byte other than the diameter changed",
         [](HoleRecord& r) { r.steps[1].code = 5; }},
        {"step 1: a byte other than the diameter changed",
         [](HoleRecord& r) { r.steps[0].opaque1[223] = std::byte{0}; }},
        {"a steps address the last read did not hand out",
         [](HoleRecord& r) { r.steps = nullptr; }},
    };
    for (const auto& [why, edit] : edits) {
        Drawing drawing;
        LoadSmall(drawing);
        HoleRecord record{};
        ASSERT_EQ(drawing.KepHolGetHoleData(7, record), 0);
        edit(record);
        EXPECT_EQ(drawing.KepHolAmendHoleData(7, record), -1) << why;
        EXPECT_EQ(drawing.Log().back(), std::string("KepHolAmendHoleData refused: hole 7: ") + why);
        EXPECT_EQ(drawing.AmendCount(7), 0) << why;
    }
    Drawing drawing;
    HoleRecord record{};
    EXPECT_EQ(drawing.KepHolAmendHoleData(12345, record), -1);
    EXPECT_EQ(drawing.KepHolGetHoleData(12345, record), -1);
    EXPECT_EQ(drawing.AmendCount(12345), -1);
}

// ---- Failure injection ----

TEST(Drawing, FailsTheNthCallCountedFromNow) {
    Drawing drawing;
    LoadSmall(drawing);
    HoleRecord record{};
    drawing.KepHolGetHoleData(7, record);  // before the injection: not counted
    ASSERT_TRUE(drawing.FailCall("KepHolGetHoleData", 2));
    EXPECT_EQ(drawing.KepHolGetHoleData(7, record), 0);
    EXPECT_EQ(drawing.KepHolGetHoleData(7, record), -1);
    EXPECT_EQ(drawing.KepHolGetHoleData(7, record), 0);

    ASSERT_TRUE(drawing.FailCall("KepHolGetHoleId", 0));
    EXPECT_EQ(drawing.KepHolGetHoleId({101, 1}), -1);
    EXPECT_EQ(drawing.KepHolGetHoleId({101, 1}), -1);
    ASSERT_TRUE(drawing.FailCall("KepHolGetHoleId", -1));
    EXPECT_EQ(drawing.KepHolGetHoleId({101, 1}), 7);

    ASSERT_TRUE(drawing.FailCall("KepIddOpenSelIdData", 1));
    EXPECT_EQ(drawing.KepIddOpenSelIdData(1), nullptr);
    EXPECT_NE(drawing.KepIddOpenSelIdData(1), nullptr);

    ASSERT_TRUE(drawing.FailCall("KepCtlRegisterKepLib2", 1));
    EXPECT_EQ(drawing.KepCtlRegisterKepLib2(true, false, true), -1);
    drawing.SetRegisterResult(0);
    EXPECT_EQ(drawing.KepCtlRegisterKepLib2(true, false, true), 0);
}

TEST(Drawing, RefusesNamesOfCallsThatCannotFail) {
    Drawing drawing;
    EXPECT_FALSE(drawing.FailCall("KepMsgPutMessage", 1));
    EXPECT_FALSE(drawing.FailCall("KepHolGetHoleDat", 1));
    EXPECT_FALSE(drawing.FailCall("", 1));
}

TEST(Drawing, ResetForgetsEverything) {
    Drawing drawing;
    LoadSmall(drawing);
    drawing.SelectAll();
    drawing.FailCall("KepHolGetHoleId", 0);
    drawing.SetRegisterResult(0);
    drawing.LogCalls(false);
    drawing.Reset();
    EXPECT_THAT(drawing.HoleIds(), IsEmpty());
    EXPECT_EQ(drawing.SelectionSize(), 0u);
    EXPECT_THAT(drawing.Log(), IsEmpty());
    EXPECT_EQ(drawing.KepCtlRegisterKepLib2(true, false, true), 1);
    EXPECT_EQ(drawing.KepHolGetHoleId({101, 1}), kNoHole);
    EXPECT_EQ(drawing.Log().size(), 2u);  // calls are logged again
}

// ---- The log ----

TEST(Drawing, LogsEveryCallInOrder) {
    Drawing drawing;
    LoadSmall(drawing);
    drawing.Select(1, 101);
    const int32_t object[4] = {16, 2, 0, 0};
    drawing.KepCtlRegisterKepLib2(true, false, true);
    drawing.KepIddClearSysIdData();
    drawing.KepEvtSetEventMask(32);
    drawing.KepEvtSetObject(object);
    drawing.KepEvtSetCompareFunction(true);
    drawing.KepMsgPutMessage(u"구멍 범위선택(도면전체:Ctrl+A / 확정:Dialog Open)");
    drawing.KepCtlSetExecuteFunc(true, u"");
    drawing.KepElmGetSegment(1, 101);
    void* handle = drawing.KepIddOpenSelIdData(1);
    SelectionEntry entry{};
    drawing.KepIddGetHeadSelIdData(handle, entry);
    drawing.KepHolGetHoleId({101, 1});
    drawing.KepIddCloseSelIdData(handle);
    drawing.KepIddGetNextSelIdData(handle, entry);
    HoleRecord record{};
    drawing.KepHolGetHoleData(7, record);
    drawing.KepHolAmendHoleData(7, record);
    drawing.KepMsgPutErrorMessage(u"구멍데이터를 수정할수 없습니다.");
    drawing.KepDlgMessageBox(u"총 1개의 구멍을 수정하였습니다.");
    drawing.KepEvtSetObject(nullptr);
    drawing.KepCtlSetExecuteFunc(false, nullptr);

    EXPECT_THAT(
        drawing.Log(),
        ElementsAre(
            "KepCtlRegisterKepLib2(fn,null,fn)", "KepIddClearSysIdData()", "KepEvtSetEventMask(32)",
            "KepEvtSetObject(16,2,0,0)", "KepEvtSetCompareFunction(fn)",
            "KepMsgPutMessage(\"구멍 범위선택(도면전체:Ctrl+A / 확정:Dialog Open)\")",
            "KepCtlSetExecuteFunc(fn,\"\")", "KepElmGetSegment(1,101)", "KepIddOpenSelIdData(1)",
            "KepIddGetHeadSelIdData(sel1)", "KepHolGetHoleId(101,1)", "KepIddCloseSelIdData(sel1)",
            "KepIddGetNextSelIdData(invalid)", "KepHolGetHoleData(7)", "KepHolAmendHoleData(7)",
            "KepMsgPutErrorMessage(\"구멍데이터를 수정할수 없습니다.\")",
            "KepDlgMessageBox(\"총 1개의 구멍을 수정하였습니다.\")", "KepEvtSetObject(null)",
            "KepCtlSetExecuteFunc(null,null)"));
}

TEST(Drawing, KeepsOnlyMessagesWhenCallsAreNotLogged) {
    Drawing drawing;
    LoadSmall(drawing);
    drawing.LogCalls(false);
    HoleRecord record{};
    drawing.KepHolGetHoleData(7, record);
    drawing.KepMsgPutMessage(u"a");
    drawing.KepMsgPutErrorMessage(u"b");
    drawing.KepDlgMessageBox(u"c");
    drawing.AppendLog("note");
    EXPECT_THAT(drawing.Log(),
                ElementsAre("KepMsgPutMessage(\"a\")", "KepMsgPutErrorMessage(\"b\")",
                            "KepDlgMessageBox(\"c\")", "note"));
}

TEST(LogText, QuotesAndEscapesTexts) {
    EXPECT_EQ(QuotedLogText(nullptr), "null");
    EXPECT_EQ(QuotedLogText(u"a\"b\\c\r\n\t\x01"), "\"a\\\"b\\\\c\\r\\n\\t\\x01\"");
    EXPECT_EQ(QuotedLogText(u"총"), "\"총\"");
}

}  // namespace

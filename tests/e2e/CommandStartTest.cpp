// Startup, the start of the command with its rule file, the event codes and the pick filter
// of the real module, through the stand-in host.
#include <windows.h>

#include <climits>

#include "ModuleFixture.h"
#include "platform/Handles_win.h"
#include "standin/KepTest.h"
#include "testhost/TextUtf8.h"

namespace {

constexpr char kRegistrationLine[] = "KepCtlRegisterKepLib2(fn,null,fn)";

const std::vector<std::string> kStartCalls = {
    "KepIddClearSysIdData()",
    "KepEvtSetEventMask(32)",
    "KepEvtSetObject(16,2,0,0)",
    "KepEvtSetCompareFunction(fn)",
    kPromptLine,
    "KepCtlSetExecuteFunc(fn,\"\")",
};

// Hole 1 has a step the rule below rewrites; hole 2 is excluded; element 900 is loose.
constexpr char kPlate[] = R"(
hole 1
element 1 101
step 101 8.3
hole 2 excluded
element 1 102
step 101 8.3
loose 1 900
)";
constexpr char16_t kRule101[] = u"1\t101\t\t8.1\t8.99\t8.5\r\n";

// ---- Startup ----

TEST_F(ModuleTest, StartupRegistersStartFirstAndEndThirdAndNothingElse) {
    ASSERT_NO_FATAL_FAILURE(LoadModule());
    EXPECT_EQ(session().startupResult(), 0);
    EXPECT_EQ(Log(), std::vector<std::string>{kRegistrationLine});
    EXPECT_NE(KepTestStartCallback(), nullptr);
    EXPECT_EQ(KepTestResumeCallback(), nullptr);
    EXPECT_NE(KepTestEndCallback(), nullptr);
    session().End();
    EXPECT_EQ(Log().size(), 1u) << "the end callback does nothing";
}

TEST_F(ModuleTest, StartupReturnsMinusOneWhenTheHostRefuses) {
    for (int32_t result : {0, -1, INT_MIN}) {
        ASSERT_NO_FATAL_FAILURE(LoadModule("", [result] { KepTestSetRegisterResult(result); }));
        EXPECT_EQ(session().startupResult(), -1) << "registration result " << result;
        EXPECT_EQ(Log(), std::vector<std::string>{kRegistrationLine});
        session_.reset();
    }
    ASSERT_NO_FATAL_FAILURE(LoadModule("", [] { KepTestSetRegisterResult(7); }));
    EXPECT_EQ(session().startupResult(), 0);
    EXPECT_EQ(boxes_.Count(), 0u);
}

// ---- Start of the command ----

TEST_F(ModuleTest, StartMakesTheHostCallsInOrder) {
    WriteRules(kRule101);
    ASSERT_NO_FATAL_FAILURE(LoadModule(kPlate));
    KepTestSelect(1, 101);
    const size_t mark = Log().size();
    EXPECT_EQ(session().Start(), 0);
    EXPECT_EQ(LogSince(mark), kStartCalls);
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_EQ(KepTestSelectedHoleIds(nullptr, 0), 0) << "the selection is cleared";
}

class UnreadableRuleFile : public ModuleTest {
protected:
    // Starts the command, noting how long the log was when the message box appeared.
    void StartAndWatch() {
        ASSERT_NO_FATAL_FAILURE(LoadModule(kPlate));
        KepTestSelectAll();
        mark_ = Log().size();
        ASSERT_EQ(session().Start(), 0);
    }
    // After the start: the prompt and the rest of the start were still made, picks are
    // offered, and the rewrite runs with an empty table.
    void ExpectCommandGoesOn() {
        EXPECT_EQ(LogSince(mark_), kStartCalls);
        EXPECT_EQ(session().Pick(1, 101), 1);
        EXPECT_EQ(session().Pick(1, 102), 0);
        KepTestSelectAll();
        const size_t beforeRewrite = Log().size();
        EXPECT_EQ(session().Execute(0), 0);
        EXPECT_EQ(MessagesSince(beforeRewrite), std::vector<std::string>{kNoMatchingHoleLine});
        EXPECT_EQ(AmendCount(1), 0);
    }
    void ExpectOneOpenError(DWORD error) {
        ASSERT_EQ(boxes_.Count(), 1u);
        const SeenMessageBox box = boxes_.Seen()[0];
        EXPECT_EQ(box.caption, "Quillet");
        EXPECT_TRUE(
            box.text.starts_with("파일을 열 수 없습니다: " + Utf8FromWide(RuleFilePath()) + "\r\n"))
            << box.text;
        EXPECT_TRUE(box.text.ends_with("(오류 코드 " + std::to_string(error) + ")")) << box.text;
        EXPECT_EQ(logCountAtLastBox_, static_cast<int32_t>(mark_))
            << "the rule file is read before any other host call of the start";
    }

    size_t mark_ = 0;
};

TEST_F(UnreadableRuleFile, MissingFileIsReportedOnceAndTheCommandGoesOn) {
    ASSERT_NO_FATAL_FAILURE(StartAndWatch());
    ExpectOneOpenError(ERROR_FILE_NOT_FOUND);
    ExpectCommandGoesOn();
}

// A program that lets nobody else open the file; one that lets others read is no obstacle
// (RuleStoreLoad in RuleFileTest.cpp).
TEST_F(UnreadableRuleFile, FileHeldOpenElsewhereIsReportedOnceAndTheCommandGoesOn) {
    WriteRules(kRule101);
    const UniqueFile holder(CreateFileW(RuleFilePath().c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    ASSERT_NO_FATAL_FAILURE(StartAndWatch());
    ExpectOneOpenError(ERROR_SHARING_VIOLATION);
    ExpectCommandGoesOn();
}

// ---- The rule file read at the start ----

TEST_F(ModuleTest, RuleFilesWithAndWithoutByteOrderMarkAreReadWhole) {
    for (bool bom : {true, false}) {
        WriteRules(kRule101, bom);
        ASSERT_NO_FATAL_FAILURE(LoadModule(kPlate));
        ASSERT_EQ(session().Start(), 0);
        KepTestSelect(1, 101);
        const size_t mark = Log().size();
        EXPECT_EQ(session().Execute(0), 0);
        EXPECT_EQ(MessagesSince(mark), std::vector<std::string>{ChangedHolesLine(1)}) << bom;
        EXPECT_EQ(Diameter(1, 0), 8.5) << bom;
        session_.reset();
    }
    EXPECT_EQ(boxes_.Count(), 0u);
}

// What is read but not applied is told once, in one message: a rule not in force (line 2),
// a rule with a memo column (line 3) and the rules beyond the 49th (codes 149 and 150). The
// comment line (line 1) is not told. Rule n + 1 rewrites code 100 + n; the rule not in force
// is passed over, so the rule for code 101 still rewrites hole 1; hole 49 keeps its diameter.
TEST_F(ModuleTest, WhatIsNotAppliedIsToldOnceAtTheStart) {
    std::u16string rules =
        u"# 공장 규칙\r\n"
        u"1\t101\t\t8.3\t\t1e309\r\n"
        u"1\t101\t120\t10.1\t10.6\t10.5\t메모\r\n";
    for (int n = 1; n <= 50; ++n) {
        const std::string code = std::to_string(100 + n);
        rules += u"1\t" + std::u16string(code.begin(), code.end()) + u"\t\t8.1\t8.99\t8.5\r\n";
    }
    ASSERT_NO_FATAL_FAILURE(StartCommand(R"(
hole 1
element 1 101
step 101 8.3
hole 49
element 1 149
step 149 8.3
)",
                                         rules));
    ASSERT_EQ(boxes_.Count(), 1u);
    const SeenMessageBox box = boxes_.Seen()[0];
    EXPECT_EQ(box.caption, "Quillet");
    // The wording is the notice's (tested natively); here: all of it in the one box.
    for (const std::string& told : {Utf8FromWide(RuleFilePath()), std::string("나머지 2줄"),
                                    std::string("줄 1개: 줄 3"), std::string("규칙 1개: 줄 2")}) {
        EXPECT_NE(box.text.find(told), std::string::npos) << told << "\n" << box.text;
    }

    KepTestSelectAll();
    const size_t mark = Log().size();
    EXPECT_EQ(session().Execute(0), 0);
    EXPECT_EQ(MessagesSince(mark), std::vector<std::string>{ChangedHolesLine(1)});
    EXPECT_EQ(Diameter(1, 0), 8.5);
    EXPECT_EQ(Diameter(49, 0), 8.3);
}

TEST_F(ModuleTest, EveryStartReloadsTheRuleFile) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(kPlate, kRule101));
    KepTestSelect(1, 101);
    session().Execute(0);
    ASSERT_EQ(Diameter(1, 0), 8.5);

    WriteRules(u"1\t101\t\t8.5\t\t9.25\r\n");
    ASSERT_EQ(session().Start(), 0);
    KepTestSelect(1, 101);
    session().Execute(0);
    EXPECT_EQ(Diameter(1, 0), 9.25);

    // Without the file the table is empty again: nothing matches any more.
    ASSERT_TRUE(DeleteFileW(RuleFilePath().c_str()));
    ASSERT_EQ(session().Start(), 0);
    EXPECT_EQ(boxes_.Count(), 1u);
    KepTestSelect(1, 101);
    const size_t mark = Log().size();
    session().Execute(0);
    EXPECT_EQ(MessagesSince(mark), std::vector<std::string>{kNoMatchingHoleLine});
    EXPECT_EQ(Diameter(1, 0), 9.25);
}

// The module's own path is longer than 260 characters: the rule file beside it must still
// be found.
class LongModulePath : public ModuleTest {
protected:
    LongModulePath() { moduleFolder_ = deepFolder_.path(); }
    void TearDown() override { session_.reset(); }

    TempFolder deepFolder_{300};
};

TEST_F(LongModulePath, RuleFileBesideTheModuleIsFound) {
    ASSERT_GT(RuleFilePath().size(), 300u);
    ASSERT_NO_FATAL_FAILURE(StartCommand(kPlate, kRule101));
    EXPECT_EQ(boxes_.Count(), 0u) << (boxes_.Count() ? boxes_.Seen()[0].text : "");
    KepTestSelect(1, 101);
    session().Execute(0);
    EXPECT_EQ(Diameter(1, 0), 8.5);
}

// ---- Event codes ----

TEST_F(ModuleTest, EventCodesOtherThanZeroAndSevenReturnThreeAndDoNothing) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(kPlate, kRule101));
    KepTestSelect(1, 101);
    const size_t mark = Log().size();
    for (int32_t code : {-1, 1, 2, 3, 4, 5, 6, 8, 9, 32, 100, INT_MIN, INT_MAX}) {
        EXPECT_EQ(session().Execute(code), 3) << code;
    }
    EXPECT_EQ(LogSince(mark), std::vector<std::string>{});
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_EQ(Diameter(1, 0), 8.3);
    EXPECT_EQ(KepTestSelectedHoleIds(nullptr, 0), 1) << "the selection is left alone";
}

// ---- Pick filter ----

// Which holes the filter takes is tested natively (PickFilterTest); here, that the module's
// export reaches the host with the arguments it was given.
TEST_F(ModuleTest, PickFilterAsksTheHostWithItsOwnArguments) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(R"(
hole 5
element 3 301 4
step 101 8.3
)",
                                         kRule101));
    const size_t mark = Log().size();
    EXPECT_EQ(session().Pick(4, 301), 1);
    EXPECT_EQ(LogSince(mark),
              (std::vector<std::string>{"KepElmGetSegment(4,301)", "KepHolGetHoleId(301,3)",
                                        "KepHolGetHoleData(5)"}));
    EXPECT_EQ(session().Pick(1, 301), 0) << "another element kind names another element";
}

}  // namespace

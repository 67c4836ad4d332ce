// Every host call that the command can see fail is made to fail once, at each point where
// the command makes it. The real module under Wine must then do exactly what the
// step-by-step reference rewrite does over an in-process drawing with the same failure: the
// same host calls in the same order, the same messages, the same pick answers, the same
// holes afterwards.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "ModuleFixture.h"
#include "platform/LegacyCodePage.h"
#include "rules/RuleFileFormat.h"
#include "standin/DrawingFile.h"
#include "standin/KepTest.h"
#include "tests/reference/StepwiseRewrite.h"

namespace {

constexpr char kDrawing[] = R"(
hole 1
element 1 11
element 1 12
step 101 8.3
step 150 9.5
hole 2 excluded
element 1 21
step 101 8.3
hole 3
element 2 31
step 120 8.99
step 301 12.02
hole 4
element 2 41
step 999 1.0
loose 3 90
hole 5
element 1 51
step 110 8.1
)";
constexpr char16_t kRules[] =
    u"1\t101\t199\t8.1\t8.99\t8.5\r\n1\t301\t\t12\t12.05\t12\r\n0\t999\t\t1\t\t2\r\n";
// Every element, an unknown one last; the host is asked about each with kind 1.
const std::vector<int32_t> kPicked = {11, 12, 21, 31, 41, 90, 51, 77};
const std::vector<int32_t> kHoles = {1, 2, 3, 4, 5};

struct HoleState {
    int32_t amendCount;
    std::vector<double> diameters;
    bool operator==(const HoleState&) const = default;
};

struct Outcome {
    std::vector<int32_t> picks;
    std::vector<std::string> log;
    std::vector<HoleState> holes;
};

// The pick filter step by step, for the reference.
int32_t StepwisePick(Drawing& host, int32_t kind, int32_t number) {
    const int32_t segment = host.KepElmGetSegment(kind, number);
    ElementRef ref{};
    ref.element = number;
    ref.segment = segment;
    const int32_t id = host.KepHolGetHoleId(ref);
    if (id == -1) return 0;
    HoleRecord record{};
    if (host.KepHolGetHoleData(id, record) == -1) return 0;
    return record.excluded == 0 ? 1 : 0;
}

Outcome Reference(const std::string& failing, int32_t nth) {
    Drawing drawing;
    EXPECT_FALSE(LoadDrawingText(kDrawing, drawing).has_value());
    RuleTable rules;
    const Bytes ruleBytes = Utf16Le(kRules);
    DecodeRuleFile(ruleBytes, rules, SystemCodePageDecoder());
    if (!failing.empty()) drawing.FailCall(failing, nth);

    Outcome outcome;
    for (int32_t element : kPicked) outcome.picks.push_back(StepwisePick(drawing, 1, element));
    drawing.SelectAll();
    StepwiseRewriteSelectedHoles(drawing, rules);
    outcome.log = drawing.Log();
    for (int32_t id : kHoles) {
        const HoleRecord* record = drawing.FindHole(id);
        HoleState state{drawing.AmendCount(id), {}};
        for (int32_t s = 0; s < record->stepCount; ++s) {
            state.diameters.push_back(record->steps[s].diameter);
        }
        outcome.holes.push_back(state);
    }
    return outcome;
}

class FaultSweep : public ModuleTest {
protected:
    Outcome RunModule(const std::string& failing, int32_t nth) {
        session_.reset();
        StartCommand(kDrawing, kRules);
        const auto mark = static_cast<size_t>(KepTestLogCount());
        if (!failing.empty()) {
            EXPECT_EQ(KepTestFailCall(failing.c_str(), nth), 0);
        }

        Outcome outcome;
        for (int32_t element : kPicked) outcome.picks.push_back(session().Pick(1, element));
        KepTestSelectAll();
        EXPECT_EQ(session().Execute(0), 0);
        outcome.log = LogSince(mark);
        for (int32_t id : kHoles) {
            HoleRecord record{};
            EXPECT_EQ(KepTestHoleRecord(id, &record), 0);
            HoleState state{KepTestAmendCount(id), {}};
            for (int32_t s = 0; s < record.stepCount; ++s) {
                HoleStep step{};
                EXPECT_EQ(KepTestHoleStep(id, s, &step), 0);
                state.diameters.push_back(step.diameter);
            }
            outcome.holes.push_back(state);
        }
        return outcome;
    }

    // Fails the function's first call, then its second, and so on up to its last call in a
    // run without failures, comparing the module with the reference each time.
    void Sweep(const std::string& function) {
        const Outcome plain = Reference("", 0);
        int32_t calls = 0;
        for (const std::string& line : plain.log) calls += line.rfind(function + "(", 0) == 0;
        ASSERT_GT(calls, 0) << function << " is never called";
        for (int32_t nth = 1; nth <= calls; ++nth) {
            SCOPED_TRACE(function + " fails at call " + std::to_string(nth));
            const Outcome expected = Reference(function, nth);
            const Outcome actual = RunModule(function, nth);
            EXPECT_EQ(actual.picks, expected.picks);
            EXPECT_EQ(actual.log, expected.log);
            EXPECT_EQ(actual.holes, expected.holes);
            if (HasFailure()) return;
        }
    }
};

TEST_F(FaultSweep, WithoutFailuresTheModuleMatchesTheReference) {
    const Outcome expected = Reference("", 0);
    const Outcome actual = RunModule("", 0);
    EXPECT_EQ(actual.picks, expected.picks);
    EXPECT_EQ(actual.log, expected.log);
    EXPECT_EQ(actual.holes, expected.holes);
    EXPECT_EQ(actual.log.back(), ChangedHolesLine(3));
    EXPECT_EQ(boxes_.Count(), 0u);
}

TEST_F(FaultSweep, SelectionListFailsToOpen) {
    Sweep("KepIddOpenSelIdData");
}
TEST_F(FaultSweep, FirstSelectionEntryFails) {
    Sweep("KepIddGetHeadSelIdData");
}
TEST_F(FaultSweep, NextSelectionEntryFails) {
    Sweep("KepIddGetNextSelIdData");
}
TEST_F(FaultSweep, SegmentLookupFails) {
    Sweep("KepElmGetSegment");
}
TEST_F(FaultSweep, HoleIdLookupFails) {
    Sweep("KepHolGetHoleId");
}
TEST_F(FaultSweep, HoleReadFails) {
    Sweep("KepHolGetHoleData");
}
TEST_F(FaultSweep, AmendFails) {
    Sweep("KepHolAmendHoleData");
}

// The selection cannot be cleared at the start: the command still sets up picking and asks
// for holes, and the rewrite works.
TEST_F(FaultSweep, ClearingTheSelectionFailsAtTheStart) {
    WriteRules(kRules);
    ASSERT_NO_FATAL_FAILURE(
        LoadModule(kDrawing, [] { EXPECT_EQ(KepTestFailCall("KepIddClearSysIdData", 1), 0); }));
    const auto mark = static_cast<size_t>(KepTestLogCount());
    ASSERT_EQ(session().Start(), 0);
    EXPECT_EQ(MessagesSince(mark), std::vector<std::string>{kPromptLine});
    KepTestSelectAll();
    EXPECT_EQ(session().Execute(0), 0);
    EXPECT_EQ(MessagesSince(mark).back(), ChangedHolesLine(3));
}

}  // namespace

#include "command/HoleCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

// A small host: holes with steps, elements mapped to holes, a selection, and a call log.
class FakeHost : public HoleHost {
public:
    struct Hole {
        HoleRecord record{};
        std::vector<HoleStep> steps;
    };

    void AddHole(int32_t id, std::vector<std::pair<int32_t, double>> steps, bool excluded = false) {
        Hole& hole = holes[id];
        std::memset(&hole.record, 0xA5, sizeof hole.record);
        for (auto [code, diameter] : steps) {
            HoleStep step;
            std::memset(&step, 0x5A, sizeof step);
            step.code = code;
            step.diameter = diameter;
            hole.steps.push_back(step);
        }
        hole.record.excluded = excluded ? 1 : 0;
        hole.record.stepCount = static_cast<int32_t>(hole.steps.size());
        hole.record.steps = nullptr;
    }
    void AddElement(int32_t segment, int32_t element, int32_t holeId) {
        elementHole[{element, segment}] = holeId;
        elementSegment[element] = segment;
    }
    void Select(int32_t segment, int32_t element) {
        selection.push_back({segment, element, {7, 7}});
    }
    double Diameter(int32_t id, size_t step) const { return holes.at(id).steps.at(step).diameter; }

    int32_t KepElmGetSegment(int32_t kind, int32_t number) override {
        log.push_back("segment " + std::to_string(kind) + "," + std::to_string(number));
        auto it = elementSegment.find(number);
        return it == elementSegment.end() ? -1 : it->second;
    }
    int32_t KepHolGetHoleId(const ElementRef& ref) override {
        log.push_back("id " + std::to_string(ref.element) + "," + std::to_string(ref.segment));
        auto it = elementHole.find({ref.element, ref.segment});
        return it == elementHole.end() ? kNoHole : it->second;
    }
    int32_t KepHolGetHoleData(int32_t id, HoleRecord& record) override {
        log.push_back("read " + std::to_string(id));
        if (id == failRead || !holes.count(id)) return kHostFailure;
        Hole& hole = holes[id];
        scratch = hole.steps;  // the module writes diameters into host memory
        record = hole.record;
        record.steps = scratch.data();
        return 0;
    }
    int32_t KepHolAmendHoleData(int32_t id, const HoleRecord& record) override {
        log.push_back("amend " + std::to_string(id));
        if (id == failAmend) return kHostFailure;
        Hole& hole = holes[id];
        EXPECT_EQ(std::memcmp(&record, &hole.record, offsetof(HoleRecord, steps)), 0);
        hole.steps.assign(record.steps, record.steps + record.stepCount);
        return 0;
    }
    void* KepIddOpenSelIdData(int32_t mode) override {
        log.push_back("open " + std::to_string(mode));
        cursor = 0;
        return noSelectionList ? nullptr : this;
    }
    int32_t KepIddGetHeadSelIdData(void* handle, SelectionEntry& entry) override {
        EXPECT_EQ(handle, this);
        cursor = 0;
        return Next(entry);
    }
    int32_t KepIddGetNextSelIdData(void* handle, SelectionEntry& entry) override {
        EXPECT_EQ(handle, this);
        return Next(entry);
    }
    void KepIddCloseSelIdData(void* handle) override {
        EXPECT_EQ(handle, this);
        log.push_back("close");
    }
    void KepMsgPutErrorMessage(const char16_t* text) override {
        messages.push_back(u"E:" + std::u16string(text));
    }
    void KepDlgMessageBox(const char16_t* text) override {
        messages.push_back(u"B:" + std::u16string(text));
    }

    std::map<int32_t, Hole> holes;
    std::map<std::pair<int32_t, int32_t>, int32_t> elementHole;
    std::map<int32_t, int32_t> elementSegment;
    std::vector<SelectionEntry> selection;
    std::vector<HoleStep> scratch;
    std::vector<std::string> log;
    std::vector<std::u16string> messages;
    int32_t failRead = -2, failAmend = -2;
    bool noSelectionList = false;

private:
    int32_t Next(SelectionEntry& entry) {
        if (cursor >= selection.size()) return kHostFailure;
        entry = selection[cursor++];
        log.push_back("entry");
        return 0;
    }
    size_t cursor = 0;
};

RuleTable Rules(std::initializer_list<HoleRule> rules) {
    RuleTable table;
    for (const auto& rule : rules) table.Append(rule);
    return table;
}

const std::u16string kNoMatch = std::u16string(u"B:") + hole_messages::kNoMatchingHole;

class RewriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.AddHole(1, {{101, 8.1}, {150, 8.99}, {199, 8.5}, {200, 8.5}, {101, 9.0}});
        host.AddHole(2, {{101, 8.3}});
        host.AddHole(3, {{101, 8.3}}, /*excluded=*/true);
        host.AddElement(1, 11, 1);
        host.AddElement(1, 12, 1);
        host.AddElement(2, 21, 2);
        host.AddElement(2, 31, 3);
        host.elementSegment[99] = 5;  // an element of no hole
    }
    FakeHost host;
    const RuleTable rangeRule = Rules({{1, u"101", u"199", u"8.1", u"8.99", u"7"}});
};

TEST_F(RewriteTest, RewritesInclusiveRangesAndCountsEachHoleOnce) {
    host.Select(1, 11);
    host.Select(5, 99);
    host.Select(1, 12);
    host.Select(2, 21);
    host.Select(1, 11);
    RewriteSelectedHoles(host, rangeRule);
    EXPECT_EQ(host.Diameter(1, 0), 7.0);
    EXPECT_EQ(host.Diameter(1, 1), 7.0);
    EXPECT_EQ(host.Diameter(1, 2), 7.0);
    EXPECT_EQ(host.Diameter(1, 3), 8.5);  // code 200 outside
    EXPECT_EQ(host.Diameter(1, 4), 9.0);  // diameter outside
    EXPECT_EQ(host.Diameter(2, 0), 7.0);
    EXPECT_THAT(host.messages, ElementsAre(u"B:" + ChangedHolesMessage(2)));
    EXPECT_EQ(ChangedHolesMessage(2), u"총 2개의 구멍을 수정하였습니다.");
    const std::vector<std::string> expected = {
        "open 1",  "entry", "id 11,1", "entry", "id 99,5", "entry",   "id 12,1", "entry",
        "id 21,2", "entry", "id 11,1", "close", "read 1",  "amend 1", "read 2",  "amend 2"};
    EXPECT_EQ(host.log, expected);
}

TEST_F(RewriteTest, EmptySelectionOrNoSelectionListReportsNoMatchingHole) {
    RewriteSelectedHoles(host, rangeRule);
    EXPECT_THAT(host.messages, ElementsAre(kNoMatch));
    EXPECT_THAT(host.log, ElementsAre("open 1", "close"));

    host.messages.clear();
    host.log.clear();
    host.noSelectionList = true;
    host.Select(1, 11);
    RewriteSelectedHoles(host, rangeRule);
    EXPECT_THAT(host.messages, ElementsAre(kNoMatch));
    EXPECT_THAT(host.log, ElementsAre("open 1"));
}

TEST_F(RewriteTest, ExcludedHoleIsReadButNeitherAmendedNorCounted) {
    host.Select(2, 31);
    RewriteSelectedHoles(host, rangeRule);
    EXPECT_EQ(host.Diameter(3, 0), 8.3);
    EXPECT_THAT(host.messages, ElementsAre(kNoMatch));
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "amend 3"), 0);
}

TEST_F(RewriteTest, RuleSemantics) {
    struct Case {
        const char* name;
        HoleRule rule;
        double expected;  // new diameter of hole 2's step (code 101, diameter 8.3)
    };
    const Case cases[] = {
        {"single code", {1, u"101", u"", u"8", u"9", u"1"}, 1.0},
        {"other single code", {1, u"102", u"", u"8", u"9", u"1"}, 8.3},
        {"exact diameter", {1, u"101", u"101", u"8.3", u"", u"1"}, 1.0},
        {"lower bound", {1, u"101", u"101", u"8.3", u"9", u"1"}, 1.0},
        {"upper bound", {1, u"100", u"101", u"8", u"8.3", u"1"}, 1.0},
        {"disabled", {0, u"101", u"199", u"8", u"9", u"1"}, 8.3},
        {"reversed codes", {1, u"199", u"101", u"8", u"9", u"1"}, 8.3},
        {"reversed diameters", {1, u"101", u"199", u"9", u"8", u"1"}, 8.3},
        {"letters read as zero", {1, u"abc", u"101", u"8", u"9", u"1"}, 1.0},
        {"units after numbers", {1, u"101mm", u"", u"8.3mm", u"", u"2.5mm"}, 2.5},
        // A new diameter that is not a finite number above 0: the rule is not in force.
        {"new diameter 1e309", {1, u"101", u"", u"8", u"9", u"1e309"}, 8.3},
        {"new diameter 0", {1, u"101", u"", u"8", u"9", u"0"}, 8.3},
        {"new diameter empty", {1, u"101", u"", u"8", u"9", u""}, 8.3},
        {"new diameter negative", {1, u"101", u"", u"8", u"9", u"-8.5"}, 8.3},
    };
    for (const Case& c : cases) {
        FakeHost fresh;
        fresh.AddHole(2, {{101, 8.3}});
        fresh.AddElement(2, 21, 2);
        fresh.Select(2, 21);
        RewriteSelectedHoles(fresh, Rules({c.rule}));
        EXPECT_EQ(fresh.Diameter(2, 0), c.expected) << c.name;
    }
}

TEST_F(RewriteTest, LaterRulesSeeEarlierRewritesAndEqualValuesStillCount) {
    host.Select(2, 21);
    RewriteSelectedHoles(host, Rules({{1, u"101", u"199", u"8.1", u"8.99", u"8.5"},
                                      {1, u"101", u"199", u"8.5", u"", u"9.0"}}));
    EXPECT_EQ(host.Diameter(2, 0), 9.0);

    FakeHost same;
    same.AddHole(2, {{101, 8.3}});
    same.AddElement(2, 21, 2);
    same.Select(2, 21);
    RewriteSelectedHoles(same, Rules({{1, u"101", u"", u"8.3", u"", u"8.3"}}));
    EXPECT_THAT(same.messages, ElementsAre(u"B:" + ChangedHolesMessage(1)));
    EXPECT_THAT(same.log, ::testing::Contains("amend 2"));
}

// A rule not in force is passed over as a disabled one: a later rule still matches.
TEST_F(RewriteTest, RulesNotInForceArePassedOver) {
    host.Select(2, 21);
    RewriteSelectedHoles(host, Rules({{1, u"101", u"", u"8.3", u"", u"1e309"},
                                      {1, u"101", u"", u"8.3", u"", u"8.4"}}));
    EXPECT_EQ(host.Diameter(2, 0), 8.4);
}

TEST_F(RewriteTest, FailedReadStopsWithBothMessagesAndKeepsEarlierHoles) {
    host.AddHole(4, {{101, 8.3}});
    host.AddElement(4, 41, 4);
    host.Select(2, 21);
    host.Select(1, 11);
    host.Select(4, 41);
    host.failRead = 1;
    RewriteSelectedHoles(host, rangeRule);
    EXPECT_EQ(host.Diameter(2, 0), 7.0);
    EXPECT_EQ(host.Diameter(4, 0), 8.3);
    EXPECT_THAT(host.messages, ElementsAre(std::u16string(u"E:") + hole_messages::kCannotReadHole,
                                           std::u16string(u"B:") + hole_messages::kErrorOccurred));
}

TEST_F(RewriteTest, FailedAmendStopsWithBothMessages) {
    host.Select(1, 11);
    host.Select(2, 21);
    host.failAmend = 1;
    RewriteSelectedHoles(host, rangeRule);
    EXPECT_EQ(host.Diameter(2, 0), 8.3);
    EXPECT_THAT(host.messages, ElementsAre(std::u16string(u"E:") + hole_messages::kCannotAmendHole,
                                           std::u16string(u"B:") + hole_messages::kErrorOccurred));
    EXPECT_EQ(host.log.back(), "amend 1");
}

TEST_F(RewriteTest, StepsWithoutAnArrayOrNegativeCountAreNoSteps) {
    FakeHost odd;
    odd.AddHole(5, {});
    odd.holes[5].record.stepCount = 3;  // claims steps, hands no array over
    odd.AddElement(1, 51, 5);
    odd.Select(1, 51);
    RewriteSelectedHoles(odd, rangeRule);
    EXPECT_THAT(odd.messages, ElementsAre(kNoMatch));
}

TEST(PickFilterTest, AcceptsOnlyHolesWithoutTheExclusionFlag) {
    FakeHost host;
    host.AddHole(1, {{1, 1.0}});
    host.AddHole(2, {{1, 1.0}}, true);
    host.AddElement(3, 10, 1);
    host.AddElement(3, 20, 2);
    host.AddElement(3, 30, 99);  // maps to a hole the host cannot read
    host.elementSegment[40] = 3;
    EXPECT_EQ(PickFilter(host, 6, 10), 1);
    EXPECT_EQ(PickFilter(host, 6, 20), 0);
    EXPECT_EQ(PickFilter(host, 6, 30), 0);
    EXPECT_EQ(PickFilter(host, 6, 40), 0);
    EXPECT_EQ(host.log.front(), "segment 6,10");
    EXPECT_EQ(host.log[1], "id 10,3");
}

}  // namespace

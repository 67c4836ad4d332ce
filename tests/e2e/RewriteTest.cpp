// Event code 0 of the real module: the selected holes' step diameters rewritten by the rule
// file's rules, as the stand-in host then holds them and as its log tells.
#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>

#include "ModuleFixture.h"
#include "standin/Drawing.h"
#include "standin/KepTest.h"
#include "testhost/TextUtf8.h"

namespace {

constexpr char kCannotReadLine[] = "KepMsgPutErrorMessage(\"구멍데이터를 참조할수 없습니다.\")";
constexpr char kCannotAmendLine[] = "KepMsgPutErrorMessage(\"구멍데이터를 수정할수 없습니다.\")";

// Holes 1 to 3, one element each in segment 7, each with a step that kRule101 rewrites.
constexpr char kThreeHoles[] = R"(
hole 1
element 7 101
step 101 8.3
hole 2
element 7 102
step 101 8.3
hole 3
element 7 103
step 101 8.3
)";
constexpr char16_t kRule101[] = u"1\t101\t\t8.1\t8.99\t8.5\r\n";

class Rewrite : public ModuleTest {
protected:
    // Runs event 0 and returns the host messages it gave.
    std::vector<std::string> Run() {
        mark_ = Log().size();
        EXPECT_EQ(session().Execute(0), 0);
        return MessagesSince(mark_);
    }
    // The reads and amendments of hole records during the last Run.
    std::vector<std::string> RecordCalls() const {
        std::vector<std::string> calls;
        for (const std::string& line : LogSince(mark_)) {
            if (line.starts_with("KepHolGetHoleData(") ||
                line.starts_with("KepHolAmendHoleData(")) {
                calls.push_back(line);
            }
        }
        return calls;
    }

    size_t mark_ = 0;
};

using Messages = std::vector<std::string>;

TEST_F(Rewrite, EmptySelectionFindsNoHole) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(kThreeHoles, kRule101));
    EXPECT_EQ(Run(), Messages{kNoMatchingHoleLine});
    EXPECT_EQ(LogSince(mark_), (Messages{"KepIddOpenSelIdData(1)", "KepIddGetHeadSelIdData(sel1)",
                                         "KepIddCloseSelIdData(sel1)", kNoMatchingHoleLine}));
}

TEST_F(Rewrite, SeveralElementsOfOneHoleRewriteItOnceInSelectionOrder) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(R"(
hole 1
element 7 101
element 8 102
element 9 103
step 101 8.3
hole 2
element 7 201
step 101 8.3
)",
                                         kRule101));
    for (auto [segment, element] : std::initializer_list<std::pair<int32_t, int32_t>>{
             {9, 103}, {7, 201}, {7, 101}, {8, 102}}) {
        KepTestSelect(segment, element);
    }
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(2)});
    EXPECT_EQ(RecordCalls(), (Messages{"KepHolGetHoleData(1)", "KepHolAmendHoleData(1)",
                                       "KepHolGetHoleData(2)", "KepHolAmendHoleData(2)"}));
    EXPECT_EQ(AmendCount(1), 1);
    EXPECT_EQ(Diameter(1, 0), 8.5);
    EXPECT_EQ(Diameter(2, 0), 8.5);
}

TEST_F(Rewrite, ElementsOfNoHoleAreSkipped) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(std::string(kThreeHoles) + "loose 7 900\n", kRule101));
    KepTestSelect(7, 900);
    KepTestSelect(7, 102);
    KepTestSelect(3, 101);  // element 101 is in segment 7, not 3
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(1)});
    EXPECT_EQ(RecordCalls(), (Messages{"KepHolGetHoleData(2)", "KepHolAmendHoleData(2)"}));
}

TEST_F(Rewrite, ExcludedHoleIsNeitherCountedNorAmended) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(R"(
hole 1 excluded
element 7 101
step 101 8.3
hole 2
element 7 201
step 101 8.3
)",
                                         kRule101));
    KepTestSelect(7, 101);
    EXPECT_EQ(Run(), Messages{kNoMatchingHoleLine});
    KepTestClearSelection();
    KepTestSelect(7, 101);
    KepTestSelect(7, 201);
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(1)});
    EXPECT_EQ(AmendCount(1), 0);
    EXPECT_EQ(Diameter(1, 0), 8.3);
    EXPECT_EQ(Diameter(2, 0), 8.5);
}

// One hole whose steps probe every kind of range of the rules below.
TEST_F(Rewrite, RulesMatchInclusiveRangesOfEnabledRulesOnly) {
    const std::u16string rules =
        u"1\t101\t\t8.1\t8.99\t1\r\n"  // one code; diameters 8.1 to 8.99
        u"1\t201\t299\t5\t6\t2\r\n"    // codes and diameters with both ends included
        u"0\t301\t399\t0\t100\t3\r\n"  // disabled
        u"1\t499\t401\t1\t9\t4\r\n"    // codes reversed: nothing
        u"1\t501\t599\t9\t1\t5\r\n"    // diameters reversed: nothing
        u"1\t601\t\t7.5\t\t6\r\n";     // one diameter
    struct Probe {
        int code;
        double before;
        double after;
    };
    const Probe probes[] = {
        {101, 8.1, 1},   {101, 8.99, 1},  {101, 8.09, 8.09}, {101, 8.991, 8.991},
        {100, 8.5, 8.5}, {102, 8.5, 8.5}, {201, 5, 2},       {299, 6, 2},
        {250, 5.5, 2},   {200, 5.5, 5.5}, {300, 5.5, 5.5},   {250, 6.0001, 6.0001},
        {350, 50, 50},   {450, 5, 5},     {550, 5, 5},       {601, 7.5, 6},
        {601, 7.6, 7.6}, {602, 7.5, 7.5},
    };
    std::string drawing = "hole 1\nelement 7 101\n";
    for (const Probe& probe : probes) {
        drawing += "step " + std::to_string(probe.code) + " " + std::to_string(probe.before) + "\n";
    }
    ASSERT_NO_FATAL_FAILURE(StartCommand(drawing, rules));
    KepTestSelect(7, 101);
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(1)});
    EXPECT_EQ(AmendCount(1), 1);
    for (int i = 0; i < static_cast<int>(std::size(probes)); ++i) {
        EXPECT_EQ(Diameter(1, i), probes[i].after)
            << "step " << i << ": code " << probes[i].code << ", diameter " << probes[i].before;
    }
}

TEST_F(Rewrite, LaterRulesSeeWhatEarlierRulesWrote) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(R"(
hole 1
element 7 101
step 101 8.3
step 102 8.3
)",
                                         u"1\t101\t\t8.1\t8.99\t8.5\r\n"
                                         u"1\t101\t\t8.5\t\t9\r\n"
                                         u"1\t102\t\t8.5\t\t9\r\n"
                                         u"1\t102\t\t8.1\t8.99\t8.5\r\n"));
    KepTestSelect(7, 101);
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(1)});
    EXPECT_EQ(Diameter(1, 0), 9.0);
    EXPECT_EQ(Diameter(1, 1), 8.5);
}

TEST_F(Rewrite, AnUnchangedDiameterStillCountsAndIsAmended) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(R"(
hole 1
element 7 101
step 101 8.5
)",
                                         kRule101));
    KepTestSelect(7, 101);
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(1)});
    EXPECT_EQ(AmendCount(1), 1);
}

TEST_F(Rewrite, NoMatchingStepLeavesEveryHoleAlone) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(kThreeHoles, u"1\t101\t\t9\t10\t9.5\r\n"));
    KepTestSelectAll();
    EXPECT_EQ(Run(), Messages{kNoMatchingHoleLine});
    EXPECT_EQ(RecordCalls(),
              (Messages{"KepHolGetHoleData(1)", "KepHolGetHoleData(2)", "KepHolGetHoleData(3)"}));
}

// The host's bytes that the module does not interpret come back as the host wrote them.
TEST_F(Rewrite, OpaqueBytesOfRecordsAndStepsComeBackUnchanged) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(R"(
hole 4
element 7 101
step 101 8.3
step 555 1.5
)",
                                         kRule101));
    KepTestSelect(7, 101);
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(1)});

    HoleRecord record{};
    ASSERT_EQ(KepTestHoleRecord(4, &record), 0);
    EXPECT_EQ(record.excluded, 0);
    EXPECT_EQ(record.stepCount, 2);
    const auto* recordBytes = reinterpret_cast<const std::byte*>(&record);
    for (size_t offset = 0; offset < sizeof record; ++offset) {
        const bool named = (offset >= offsetof(HoleRecord, excluded) &&
                            offset < offsetof(HoleRecord, excluded) + 4) ||
                           offset >= offsetof(HoleRecord, stepCount);
        if (!named) {
            EXPECT_EQ(recordBytes[offset], RecordPatternByte(4, offset)) << offset;
        }
    }
    for (int32_t i = 0; i < 2; ++i) {
        HoleStep step{};
        ASSERT_EQ(KepTestHoleStep(4, i, &step), 0);
        const auto* stepBytes = reinterpret_cast<const std::byte*>(&step);
        for (size_t offset = 4; offset < sizeof step; ++offset) {
            if (offset >= offsetof(HoleStep, diameter) &&
                offset < offsetof(HoleStep, diameter) + 8) {
                continue;
            }
            EXPECT_EQ(stepBytes[offset], StepPatternByte(4, static_cast<size_t>(i), offset))
                << "step " << i << " offset " << offset;
        }
    }
    EXPECT_EQ(Diameter(4, 0), 8.5);
    EXPECT_EQ(Diameter(4, 1), 1.5);
}

// ---- Host failures ----

TEST_F(Rewrite, FailedReadStopsWithTheErrorMessagesAndKeepsEarlierHolesAmended) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(kThreeHoles, kRule101));
    KepTestSelectAll();
    ASSERT_EQ(KepTestFailCall("KepHolGetHoleData", 2), 0);
    EXPECT_EQ(Run(), (Messages{kCannotReadLine, kErrorOccurredLine}));
    EXPECT_EQ(RecordCalls(),
              (Messages{"KepHolGetHoleData(1)", "KepHolAmendHoleData(1)", "KepHolGetHoleData(2)"}));
    EXPECT_EQ(Diameter(1, 0), 8.5);
    EXPECT_EQ(Diameter(2, 0), 8.3);
    EXPECT_EQ(Diameter(3, 0), 8.3);
}

TEST_F(Rewrite, RefusedAmendStopsWithTheErrorMessagesAndKeepsEarlierHolesAmended) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(kThreeHoles, kRule101));
    KepTestSelectAll();
    ASSERT_EQ(KepTestFailCall("KepHolAmendHoleData", 2), 0);
    EXPECT_EQ(Run(), (Messages{kCannotAmendLine, kErrorOccurredLine}));
    EXPECT_EQ(RecordCalls(), (Messages{"KepHolGetHoleData(1)", "KepHolAmendHoleData(1)",
                                       "KepHolGetHoleData(2)", "KepHolAmendHoleData(2)"}));
    EXPECT_EQ(Diameter(1, 0), 8.5);
    EXPECT_EQ(Diameter(2, 0), 8.3);
    EXPECT_EQ(AmendCount(2), 0);
    EXPECT_EQ(Diameter(3, 0), 8.3);
}

TEST_F(Rewrite, ElementTheHostFindsNoHoleForIsSkipped) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(kThreeHoles, kRule101));
    KepTestSelect(7, 101);
    KepTestSelect(7, 102);
    ASSERT_EQ(KepTestFailCall("KepHolGetHoleId", 1), 0);
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(1)});
    EXPECT_EQ(Diameter(1, 0), 8.3);
    EXPECT_EQ(Diameter(2, 0), 8.5);
}

TEST_F(Rewrite, NullSelectionHandleCountsAsEmptyWithoutGetOrClose) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(kThreeHoles, kRule101));
    KepTestSelectAll();
    ASSERT_EQ(KepTestFailCall("KepIddOpenSelIdData", 1), 0);
    EXPECT_EQ(Run(), Messages{kNoMatchingHoleLine});
    EXPECT_EQ(LogSince(mark_), (Messages{"KepIddOpenSelIdData(1)", kNoMatchingHoleLine}));
}

// ---- Rule files as text editors save them ----

// Rules 1 and 3 rewrite the first two steps; rule 2 is off and the comment is no rule.
constexpr char16_t kEditorRules[] =
    u"# 구멍 지름 규칙\r\n"
    u"1\t101\t\t8.1\t8.99\t8.5\r\n"
    u"0\t102\t199\t8\t9\t7\r\n"
    u"1\t102\t199\t8\t9\t9\r\n";

Bytes AsUtf16LeWithMark(std::u16string_view text) {
    return Utf16Le(text);
}

Bytes AsUtf8(std::u16string_view text) {
    const std::string utf8 = Utf8FromWide(std::wstring(text.begin(), text.end()));
    return Bytes(utf8.begin(), utf8.end());
}

Bytes AsUtf8WithMark(std::u16string_view text) {
    Bytes bytes{0xEF, 0xBB, 0xBF};
    const Bytes utf8 = AsUtf8(text);
    bytes.insert(bytes.end(), utf8.begin(), utf8.end());
    return bytes;
}

Bytes AsUtf16BeWithMark(std::u16string_view text) {
    Bytes bytes = Utf16Le(text);  // the mark FF FE swaps to FE FF with the rest
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

Bytes AsUtf16LeWithCrOnly(std::u16string_view text) {
    std::u16string crOnly;
    for (char16_t c : text) {
        if (c != u'\n') crOnly.push_back(c);
    }
    return Utf16Le(crOnly);
}

struct EncodedRuleFile {
    const char* name;
    Bytes (*encode)(std::u16string_view text);
};

std::string NameOf(const ::testing::TestParamInfo<EncodedRuleFile>& encoding) {
    return encoding.param.name;
}

class RewriteByRuleFile : public Rewrite, public ::testing::WithParamInterface<EncodedRuleFile> {};

// The first case is the file as the module writes it; every other encoding of the same
// rules must rewrite the hole the same way, without any message.
TEST_P(RewriteByRuleFile, GivesTheSameResultAsTheUtf16LeFile) {
    ASSERT_NO_FATAL_FAILURE(StartCommand(R"(
hole 1
element 7 101
step 101 8.3
step 150 8.5
step 150 9.5
)",
                                         GetParam().encode(kEditorRules)));
    KepTestSelect(7, 101);
    EXPECT_EQ(Run(), Messages{ChangedHolesLine(1)});
    EXPECT_EQ(Diameter(1, 0), 8.5);
    EXPECT_EQ(Diameter(1, 1), 9.0);
    EXPECT_EQ(Diameter(1, 2), 9.5);
    EXPECT_EQ(boxes_.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Encodings, RewriteByRuleFile,
                         ::testing::Values(EncodedRuleFile{"Utf16LeWithMark", AsUtf16LeWithMark},
                                           EncodedRuleFile{"Utf8WithMark", AsUtf8WithMark},
                                           EncodedRuleFile{"Utf8", AsUtf8},
                                           EncodedRuleFile{"Utf16BeWithMark", AsUtf16BeWithMark},
                                           EncodedRuleFile{"Utf16LeWithCrOnly",
                                                           AsUtf16LeWithCrOnly}),
                         NameOf);

}  // namespace

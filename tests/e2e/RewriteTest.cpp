// Event code 0 of the real module through the stand-in KepLib.dll: what crosses the DLL
// boundary. The rewrite's rules, order, counting and host failures are tested natively
// (HoleCommandTest, DifferentialRewriteTest) and, for every failing host call, against the
// reference rewrite under Wine (FaultSweepTest).
#include <cstddef>
#include <string>
#include <vector>

#include "ModuleFixture.h"
#include "standin/Drawing.h"
#include "standin/KepTest.h"

namespace {

constexpr char16_t kRule101[] = u"1\t101\t\t8.1\t8.99\t8.5\r\n";

class Rewrite : public ModuleTest {};

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
    const size_t mark = Log().size();
    EXPECT_EQ(session().Execute(0), 0);
    EXPECT_EQ(MessagesSince(mark), std::vector<std::string>{ChangedHolesLine(1)});

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

}  // namespace

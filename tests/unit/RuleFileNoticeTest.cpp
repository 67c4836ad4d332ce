// The one message the module shows after reading a rule file that is not all applied.
#include "texts/RuleFileNotice.h"

#include <gtest/gtest.h>

namespace {

constexpr char16_t kPath[] = u"C:\\KEP\\Quillet.def";
constexpr char16_t kBackup[] = u"Quillet.def.<날짜-시각>.bak";

RuleFileReadResult Lines(int32_t ignored, LineNumbers skipped, LineNumbers notInForce) {
    RuleFileReadResult lines;
    lines.ignoredLines = ignored;
    lines.skippedLines = std::move(skipped);
    lines.rulesNotInForce = std::move(notInForce);
    return lines;
}

// Nothing when all is applied; else one message for all that holds. Rules not in force are
// saved again, so only lines a save does not write back make it name the backup.
TEST(RuleFileLoadNotice, OneMessageSaysAllThatHolds) {
    EXPECT_EQ(RuleFileLoadNotice(kPath, RuleFileReadResult{}, kBackup), u"");
    EXPECT_EQ(RuleFileLoadNotice(kPath, Lines(0, {}, {1, {4}}), kBackup).find(kBackup),
              std::u16string::npos);
    EXPECT_EQ(RuleFileLoadNotice(kPath, Lines(2, {7, {2, 3, 9, 10, 11}}, {1, {5}}), kBackup),
              u"규칙 파일에 적용하지 않는 줄이 있습니다: C:\\KEP\\Quillet.def\r\n"
              u"- 규칙이 49개를 넘어 처음 49개만 읽고 나머지 2줄은 무시하였습니다.\r\n"
              u"- TAB이 있지만 필드가 6개가 아니어서 규칙으로 읽지 않은 줄 7개: "
              u"줄 2, 3, 9, 10, 11 외 2줄\r\n"
              u"- 구멍경(수정)이 0.0001부터 100000까지의 숫자 하나가 아니어서(빈 칸, \"8.5 9\"처럼 "
              u"숫자 둘, 0, 너무 작거나 큰 수) 적용하지 않는 규칙 1개: 줄 5\r\n"
              u"이 줄들은 구멍에 적용하지 않습니다. 파일에는 그대로 남아 있습니다.\r\n"
              u"규칙을 저장하면 지금 파일 전체가 \"Quillet.def.<날짜-시각>.bak\"에 그대로, 영구히 "
              u"보관됩니다.\r\n"
              u"줄마다 무엇을 읽었는지는 quillet-rules check \"C:\\KEP\\Quillet.def\"로 볼 수 "
              u"있습니다.");
}

}  // namespace

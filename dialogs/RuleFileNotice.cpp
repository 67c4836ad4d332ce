#include "dialogs/RuleFileNotice.h"

#include <string>

#include "rules/RuleTable.h"

namespace {

std::u16string Number(int64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// "줄 3, 8, 12" and, when there are more, " 외 4줄".
std::u16string LineList(const LineNumbers& lines) {
    std::u16string text = u"줄 ";
    for (size_t i = 0; i < lines.first.size(); ++i) {
        if (i > 0) text += u", ";
        text += Number(lines.first[i]);
    }
    const int64_t more = lines.count - static_cast<int64_t>(lines.first.size());
    if (more > 0) text += u" 외 " + Number(more) + u"줄";
    return text;
}

}  // namespace

std::u16string RuleFileLoadNotice(std::u16string_view path, const RuleFileReadResult& lines,
                                  std::u16string_view backupName) {
    const bool beyondTable = lines.ignoredLines > 0;
    if (!beyondTable && lines.skippedLines.empty() && lines.rulesNotInForce.empty()) return {};
    std::u16string text = u"규칙 파일에 적용하지 않는 줄이 있습니다: " + std::u16string(path);
    if (beyondTable) {
        const std::u16string capacity = Number(RuleTable::kCapacity);
        text += u"\r\n- 규칙이 " + capacity + u"개를 넘어 처음 " + capacity + u"개만 읽고 나머지 " +
                Number(lines.ignoredLines) + u"줄은 무시하였습니다.";
    }
    if (!lines.skippedLines.empty()) {
        text += u"\r\n- TAB이 있지만 필드가 6개가 아니어서 규칙으로 읽지 않은 줄 " +
                Number(lines.skippedLines.count) + u"개: " + LineList(lines.skippedLines);
    }
    if (!lines.rulesNotInForce.empty()) {
        text +=
            u"\r\n- 구멍경(수정)이 0.0001부터 100000까지의 숫자 하나가 아니어서(빈 칸, "
            u"\"8.5 9\"처럼 숫자 둘, 0, 너무 작거나 큰 수) 적용하지 않는 규칙 " +
            Number(lines.rulesNotInForce.count) + u"개: " + LineList(lines.rulesNotInForce);
    }
    text += u"\r\n이 줄들은 구멍에 적용하지 않습니다. 파일에는 그대로 남아 있습니다.";
    // Lines the table does not carry are not written back by a save; the file as it is now is.
    if (beyondTable || !lines.skippedLines.empty()) {
        text += u"\r\n규칙을 저장하면 지금 파일 전체가 \"" + std::u16string(backupName) +
                u"\"에 그대로, 영구히 보관됩니다.";
    }
    text += u"\r\n줄마다 무엇을 읽었는지는 quillet-rules check \"" + std::u16string(path) +
            u"\"로 볼 수 있습니다.";
    return text;
}

#include "dialogs/RuleFileNotice.h"

#include <string>

#include "dialogs/ModuleTexts.h"
#include "platform/TextEncoding.h"
#include "rules/RuleTable.h"

namespace {

// "줄 3, 8, 12" and, when there are more, " 외 4줄".
std::u16string LineList(const LineNumbers& lines) {
    std::u16string text(texts::kNoticeLines);
    for (size_t i = 0; i < lines.first.size(); ++i) {
        if (i > 0) text += u", ";
        text += DecimalUtf16(lines.first[i]);
    }
    const int64_t more = lines.count - static_cast<int64_t>(lines.first.size());
    if (more > 0) text += texts::kNoticeMoreLines + DecimalUtf16(more) + texts::kNoticeMoreLinesEnd;
    return text;
}

}  // namespace

std::u16string RuleFileLoadNotice(std::u16string_view path, const RuleFileReadResult& lines,
                                  std::u16string_view backupName) {
    const bool beyondTable = lines.ignoredLines > 0;
    if (!beyondTable && lines.skippedLines.empty() && lines.rulesNotInForce.empty()) return {};
    std::u16string text = std::u16string(texts::kNoticeHead) + std::u16string(path);
    if (beyondTable) {
        const std::u16string capacity = DecimalUtf16(RuleTable::kCapacity);
        text += texts::kNoticeBeyondTable + capacity + texts::kNoticeBeyondTableFirst + capacity +
                texts::kNoticeBeyondTableRest + DecimalUtf16(lines.ignoredLines) +
                texts::kNoticeBeyondTableEnd;
    }
    if (!lines.skippedLines.empty()) {
        text += texts::kNoticeSkipped + DecimalUtf16(lines.skippedLines.count) +
                texts::kNoticeCountEnd + LineList(lines.skippedLines);
    }
    if (!lines.rulesNotInForce.empty()) {
        text += texts::kNoticeNotInForce + DecimalUtf16(lines.rulesNotInForce.count) +
                texts::kNoticeCountEnd + LineList(lines.rulesNotInForce);
    }
    text += texts::kNoticeNotApplied;
    // Lines the table does not carry are not written back by a save; the file as it is now is.
    if (beyondTable || !lines.skippedLines.empty()) {
        text += texts::kNoticeKeptWhole + std::u16string(backupName) + texts::kNoticeKeptWholeEnd;
    }
    text += texts::kNoticeCheckCommand + std::u16string(path) + texts::kNoticeCheckCommandEnd;
    return text;
}

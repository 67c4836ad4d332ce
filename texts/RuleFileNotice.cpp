#include "texts/RuleFileNotice.h"

#include <string>

#include "platform/TextEncoding.h"
#include "rules/CompiledRules.h"
#include "rules/RuleFields.h"
#include "rules/RuleTable.h"
#include "texts/ModuleTexts.h"
#include "texts/TextFormat.h"

namespace {

// "줄 3, 8, 12" and, when there are more, " 외 4줄".
std::u16string LineList(const LineNumbers& lines) {
    std::u16string numbers;
    for (size_t i = 0; i < lines.first.size(); ++i) {
        if (i > 0) numbers += u", ";
        numbers += DecimalUtf16(lines.first[i]);
    }
    std::u16string text = Format(texts::kNoticeLines, numbers);
    const int64_t more = lines.count - static_cast<int64_t>(lines.first.size());
    if (more > 0) text += Format(texts::kNoticeMoreLines, more);
    return text;
}

}  // namespace

std::u16string RuleFileLoadNotice(std::u16string_view path, const RuleFileReadResult& lines,
                                  std::u16string_view backupName) {
    const bool beyondTable = lines.ignoredLines > 0;
    if (!beyondTable && lines.skippedLines.empty() && lines.rulesNotInForce.empty()) return {};
    std::u16string text = Format(texts::kNoticeHead, path);
    if (beyondTable) {
        text += Format(texts::kNoticeBeyondTable, RuleTable::kCapacity, RuleTable::kCapacity,
                       lines.ignoredLines);
    }
    if (!lines.skippedLines.empty()) {
        text += Format(texts::kNoticeSkipped, kRuleFieldCount, lines.skippedLines.count,
                       LineList(lines.skippedLines));
    }
    if (!lines.rulesNotInForce.empty()) {
        text += Format(texts::kNoticeNotInForce, kSmallestNewDiameter, kLargestNewDiameter,
                       lines.rulesNotInForce.count, LineList(lines.rulesNotInForce));
    }
    text += texts::kNoticeNotApplied;
    // Lines the table does not carry are not written back by a save; the file as it is now is.
    if (beyondTable || !lines.skippedLines.empty())
        text += Format(texts::kNoticeKeptWhole, backupName);
    text += Format(texts::kNoticeCheckCommand, path);
    return text;
}

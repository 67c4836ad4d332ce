#include "command/RewriteUndo.h"

#include <bit>

namespace {

std::u16string Number16(int64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string Utf16OfAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace

StepUndo DecideStepUndo(const HoleRecord& now, const StepChange& change) {
    const int32_t stepCount = now.steps != nullptr ? now.stepCount : 0;
    if (change.step < 1 || change.step > stepCount) return StepUndo::ChangedSince;
    const HoleStep& step = now.steps[change.step - 1];
    const bool asWritten = step.code == change.code && std::bit_cast<uint64_t>(step.diameter) ==
                                                           std::bit_cast<uint64_t>(change.after);
    return asWritten ? StepUndo::Restore : StepUndo::ChangedSince;
}

UndoOutcome UndoRewrite(HoleHost& host, const UndoPoint& point) {
    UndoOutcome outcome;
    for (const HoleChange& hole : point.holes) {
        HostResult<HoleRecord> read = host.KepHolGetHoleData(hole.holeId);
        if (!read) {
            ++outcome.holesUnreadable;
            continue;
        }
        HoleRecord& record = *read;
        if (record.excluded != 0) {
            ++outcome.holesExcluded;
            continue;
        }
        HoleChange putBack{hole.holeId, {}};
        int32_t changedSince = 0;
        for (const StepChange& change : hole.steps) {
            if (DecideStepUndo(record, change) == StepUndo::ChangedSince) {
                ++changedSince;
                continue;
            }
            record.steps[change.step - 1].diameter = change.before;
            putBack.steps.push_back(
                {change.step, change.code, change.after, change.before, change.rules});
        }
        outcome.stepsChangedSince += changedSince;
        if (putBack.steps.empty()) continue;
        if (!host.KepHolAmendHoleData(hole.holeId, record)) {
            ++outcome.holesRefused;
            continue;
        }
        ++outcome.holesRestored;
        outcome.stepsRestored += static_cast<int32_t>(putBack.steps.size());
        outcome.restored.push_back(std::move(putBack));
    }
    return outcome;
}

std::u16string UndoQuestionText(const UndoPoint& point) {
    return Utf16OfAscii(LocalTimeText(point.time)) + u"에 바꾼 구멍 " +
           Number16(static_cast<int64_t>(point.holes.size())) +
           u"개를 되돌리겠습니까?\r\n그 뒤에 바뀐 단계는 그대로 둡니다.";
}

std::u16string UndoResultText(const UndoOutcome& outcome) {
    std::u16string text = u"구멍 " + Number16(outcome.holesRestored) + u"개를 되돌렸습니다.";
    const auto line = [&text](int32_t count, std::u16string_view what, std::u16string_view why) {
        if (count == 0) return;
        text += u"\r\n";
        text += what;
        text += Number16(count);
        text += why;
    };
    line(outcome.stepsChangedSince, u"단계 ", u"개는 그 뒤에 바뀌어 그대로 두었습니다.");
    line(outcome.holesExcluded, u"구멍 ", u"개는 그 뒤에 수정 제외가 되어 그대로 두었습니다.");
    line(outcome.holesUnreadable, u"구멍 ", u"개는 없어졌거나 읽을 수 없어 되돌리지 못했습니다.");
    line(outcome.holesRefused, u"구멍 ", u"개는 호스트가 수정을 받지 않아 되돌리지 못했습니다.");
    return text;
}

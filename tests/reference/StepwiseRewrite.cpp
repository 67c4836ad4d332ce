#include "tests/reference/StepwiseRewrite.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "texts/ModuleTexts.h"

namespace {

std::wstring Wide(const RuleText& text) {
    return std::wstring(text.begin(), text.end());
}

int32_t CodeOf(const RuleText& text) {
    const long value = std::wcstol(Wide(text).c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

double DiameterOf(const RuleText& text) {
    return std::wcstod(Wide(text).c_str(), nullptr);
}

// A number from a tenth of a micrometre to a hundred metres, and no digit after it.
bool IsUsableNewDiameter(const RuleText& text) {
    const std::wstring wide = Wide(text);
    wchar_t* end = nullptr;
    const double value = std::wcstod(wide.c_str(), &end);
    if (end == wide.c_str()) return false;
    for (; *end != L'\0'; ++end) {
        if (*end >= L'0' && *end <= L'9') return false;
    }
    return value >= 0.0001 && value <= 100000.0;
}

bool StepwiseApplyRulesToHole(Drawing& host, const RuleTable& table, int32_t holeId, bool& changed,
                              HoleRecord& record) {
    changed = false;
    if (record.excluded != 0) return true;
    if (table.count() == 0) return true;
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& rule = table.rule(n);
        if (rule.enabled == 0) continue;
        if (!IsUsableNewDiameter(rule.DiameterModify)) continue;
        const double modify = DiameterOf(rule.DiameterModify);
        const int32_t from = CodeOf(rule.CodeFrom);
        int32_t to = CodeOf(rule.CodeTo);
        if (to == 0) to = from;
        const double low = DiameterOf(rule.DiameterFrom);
        double high = DiameterOf(rule.DiameterTo);
        if (high == 0.0) high = low;
        const int32_t steps = record.steps != nullptr ? record.stepCount : 0;
        for (int32_t i = 0; i < steps; ++i) {
            HoleStep& step = record.steps[i];
            if (from <= step.code && step.code <= to && low <= step.diameter &&
                step.diameter <= high) {
                step.diameter = modify;
                changed = true;
            }
        }
    }
    if (changed && host.KepHolAmendHoleData(holeId, record) == -1) {
        host.KepMsgPutErrorMessage(texts::kCannotAmendHole);
        return false;
    }
    return true;
}

}  // namespace

std::vector<StepwiseStep> StepwiseSteps(const RuleTable& table, const HoleRecord& record) {
    std::vector<StepwiseStep> steps;
    const int32_t count = record.steps != nullptr ? record.stepCount : 0;
    for (int32_t i = 0; i < count; ++i) steps.push_back({{}, record.steps[i].diameter});
    if (record.excluded != 0) return steps;
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& rule = table.rule(n);
        if (rule.enabled == 0) continue;
        if (!IsUsableNewDiameter(rule.DiameterModify)) continue;
        const double modify = DiameterOf(rule.DiameterModify);
        const int32_t from = CodeOf(rule.CodeFrom);
        int32_t to = CodeOf(rule.CodeTo);
        if (to == 0) to = from;
        const double low = DiameterOf(rule.DiameterFrom);
        double high = DiameterOf(rule.DiameterTo);
        if (high == 0.0) high = low;
        for (int32_t i = 0; i < count; ++i) {
            StepwiseStep& step = steps[static_cast<size_t>(i)];
            const int32_t code = record.steps[i].code;
            if (from <= code && code <= to && low <= step.diameter && step.diameter <= high) {
                step.diameter = modify;
                step.rules.push_back(n);
            }
        }
    }
    return steps;
}

int32_t StepwiseRewriteSelectedHoles(Drawing& host, const RuleTable& table) {
    std::vector<uint32_t> holeList;
    void* selection = host.KepIddOpenSelIdData(1);
    if (selection != nullptr) {
        SelectionEntry entry{};
        int32_t result = host.KepIddGetHeadSelIdData(selection, entry);
        while (result != -1) {
            ElementRef ref{};
            ref.element = entry.element;
            ref.segment = entry.segment;
            const int32_t id = host.KepHolGetHoleId(ref);
            if (id != -1) {
                bool listed = false;
                for (uint32_t known : holeList) {
                    if (known == static_cast<uint32_t>(id)) {
                        listed = true;
                        break;
                    }
                }
                if (!listed) holeList.push_back(static_cast<uint32_t>(id));
            }
            result = host.KepIddGetNextSelIdData(selection, entry);
        }
        host.KepIddCloseSelIdData(selection);
    }
    if (holeList.empty()) {
        host.KepDlgMessageBox(texts::kNoMatchingHole);
        return 0;
    }
    int32_t changedCount = 0;
    for (uint32_t id : holeList) {
        HoleRecord record{};
        if (host.KepHolGetHoleData(static_cast<int32_t>(id), record) == -1) {
            host.KepMsgPutErrorMessage(texts::kCannotReadHole);
            host.KepDlgMessageBox(texts::kErrorOccurred);
            return 0;
        }
        bool changed = false;
        if (!StepwiseApplyRulesToHole(host, table, static_cast<int32_t>(id), changed, record)) {
            host.KepDlgMessageBox(texts::kErrorOccurred);
            return 0;
        }
        if (changed) ++changedCount;
    }
    if (changedCount > 0) {
        const std::string digits = std::to_string(changedCount);
        const std::u16string text =
            u"총 " + std::u16string(digits.begin(), digits.end()) + u"개의 구멍을 수정하였습니다.";
        host.KepDlgMessageBox(text.c_str());
    } else {
        host.KepDlgMessageBox(texts::kNoMatchingHole);
    }
    return 0;
}

#include "command/HoleCommand.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace {

// The selected holes in selection order, each once.
class HoleList {
public:
    void Add(int32_t holeId) {
        if (seen_.insert(holeId).second) order_.push_back(holeId);
    }
    const std::vector<int32_t>& ids() const { return order_; }

private:
    std::vector<int32_t> order_;
    std::unordered_set<int32_t> seen_;
};

HoleList CollectSelectedHoles(HoleHost& host) {
    HoleList holes;
    void* selection = host.KepIddOpenSelIdData(1);
    if (selection == nullptr) return holes;
    SelectionEntry entry{};
    for (int32_t more = host.KepIddGetHeadSelIdData(selection, entry); more != kHostFailure;
         more = host.KepIddGetNextSelIdData(selection, entry)) {
        const ElementRef ref{entry.element, entry.segment};
        const int32_t holeId = host.KepHolGetHoleId(ref);
        if (holeId != kNoHole) holes.Add(holeId);
    }
    host.KepIddCloseSelIdData(selection);
    return holes;
}

}  // namespace

std::u16string ChangedHolesMessage(int32_t count) {
    const std::string digits = std::to_string(count);
    return u"총 " + std::u16string(digits.begin(), digits.end()) + u"개의 구멍을 수정하였습니다.";
}

int32_t PickFilter(HoleHost& host, int32_t elementKind, int32_t elementNumber) {
    const int32_t segment = host.KepElmGetSegment(elementKind, elementNumber);
    const ElementRef ref{elementNumber, segment};
    const int32_t holeId = host.KepHolGetHoleId(ref);
    if (holeId == kNoHole) return 0;
    HoleRecord record{};
    if (host.KepHolGetHoleData(holeId, record) == kHostFailure) return 0;
    return record.excluded == 0 ? 1 : 0;
}

bool ApplyRulesToHole(HoleHost& host, const RuleMatcher& rules, int32_t holeId, bool& changed,
                      HoleRecord& record) {
    changed = false;
    if (record.excluded != 0 || rules.empty()) return true;
    // A host that reports steps without handing an array over has no steps to rewrite.
    const int32_t stepCount = record.steps != nullptr ? record.stepCount : 0;
    for (int32_t i = 0; i < stepCount; ++i) {
        HoleStep& step = record.steps[i];
        if (rules.Apply(step.code, step.diameter)) changed = true;
    }
    if (changed && host.KepHolAmendHoleData(holeId, record) == kHostFailure) {
        host.KepMsgPutErrorMessage(hole_messages::kCannotAmendHole);
        return false;
    }
    return true;
}

void RewriteSelectedHoles(HoleHost& host, const RuleTable& table) {
    const HoleList holes = CollectSelectedHoles(host);
    if (holes.ids().empty()) {
        host.KepDlgMessageBox(hole_messages::kNoMatchingHole);
        return;
    }
    const RuleMatcher rules(table);
    int32_t changedHoles = 0;
    for (int32_t holeId : holes.ids()) {
        HoleRecord record{};
        if (host.KepHolGetHoleData(holeId, record) == kHostFailure) {
            host.KepMsgPutErrorMessage(hole_messages::kCannotReadHole);
            host.KepDlgMessageBox(hole_messages::kErrorOccurred);
            return;
        }
        bool changed = false;
        if (!ApplyRulesToHole(host, rules, holeId, changed, record)) {
            host.KepDlgMessageBox(hole_messages::kErrorOccurred);
            return;
        }
        if (changed) ++changedHoles;
    }
    if (changedHoles > 0) {
        host.KepDlgMessageBox(ChangedHolesMessage(changedHoles).c_str());
    } else {
        host.KepDlgMessageBox(hole_messages::kNoMatchingHole);
    }
}

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
    const HostResult<void*> selection = host.KepIddOpenSelIdData(1);
    if (!selection) return holes;
    for (HostResult<SelectionEntry> entry = host.KepIddGetHeadSelIdData(*selection); entry;
         entry = host.KepIddGetNextSelIdData(*selection)) {
        const ElementRef ref{entry->element, entry->segment};
        if (const HostResult<int32_t> holeId = host.KepHolGetHoleId(ref)) holes.Add(*holeId);
    }
    host.KepIddCloseSelIdData(*selection);
    return holes;
}

}  // namespace

std::vector<int32_t> SelectedHoleIds(HoleHost& host) {
    return CollectSelectedHoles(host).ids();
}

std::u16string ChangedHolesMessage(int32_t count) {
    const std::string digits = std::to_string(count);
    return u"총 " + std::u16string(digits.begin(), digits.end()) + u"개의 구멍을 수정하였습니다.";
}

int32_t PickFilter(HoleHost& host, int32_t elementKind, int32_t elementNumber) {
    const int32_t segment = host.KepElmGetSegment(elementKind, elementNumber);
    const ElementRef ref{elementNumber, segment};
    const HostResult<int32_t> holeId = host.KepHolGetHoleId(ref);
    if (!holeId) return 0;
    const HostResult<HoleRecord> record = host.KepHolGetHoleData(*holeId);
    if (!record) return 0;
    return record->excluded == 0 ? 1 : 0;
}

bool ApplyRulesToHole(HoleHost& host, const RuleMatcher& rules, int32_t holeId,
                      std::vector<StepChange>& changes, HoleRecord& record) {
    changes = PlanHoleSteps(rules, record);
    return changes.empty() || AmendPlannedHole(host, holeId, record);
}

RewriteRecord RewriteSelectedHoles(HoleHost& host, const RuleTable& table) {
    RewriteRecord done;
    const HoleList holes = CollectSelectedHoles(host);
    if (holes.ids().empty()) {
        host.KepDlgMessageBox(hole_messages::kNoMatchingHole);
        return done;
    }
    const RuleMatcher rules(table);
    for (int32_t holeId : holes.ids()) {
        HostResult<HoleRecord> record = host.KepHolGetHoleData(holeId);
        if (!record) {
            host.KepMsgPutErrorMessage(hole_messages::kCannotReadHole);
            host.KepDlgMessageBox(hole_messages::kErrorOccurred);
            return done;
        }
        HoleChange change{holeId, {}};
        if (!ApplyRulesToHole(host, rules, holeId, change.steps, *record)) {
            host.KepDlgMessageBox(hole_messages::kErrorOccurred);
            return done;
        }
        if (!change.steps.empty()) done.holes.push_back(std::move(change));
    }
    if (!done.holes.empty()) {
        const auto changedHoles = static_cast<int32_t>(done.holes.size());
        host.KepDlgMessageBox(ChangedHolesMessage(changedHoles).c_str());
    } else {
        host.KepDlgMessageBox(hole_messages::kNoMatchingHole);
    }
    return done;
}

#include "command/HoleCommand.h"

#include <unordered_set>

int32_t PickFilter(HoleHost& host, int32_t elementKind, int32_t elementNumber) {
    const int32_t segment = host.KepElmGetSegment(elementKind, elementNumber);
    const ElementRef ref{elementNumber, segment};
    const HostResult<int32_t> holeId = host.KepHolGetHoleId(ref);
    if (!holeId) return 0;
    const HostResult<HoleRecord> record = host.KepHolGetHoleData(*holeId);
    if (!record) return 0;
    return record->excluded == 0 ? 1 : 0;
}

std::vector<int32_t> SelectedHoleIds(HoleHost& host) {
    std::vector<int32_t> order;
    std::unordered_set<int32_t> seen;
    const HostResult<void*> selection = host.KepIddOpenSelIdData(1);
    if (!selection) return order;
    for (HostResult<SelectionEntry> entry = host.KepIddGetHeadSelIdData(*selection); entry;
         entry = host.KepIddGetNextSelIdData(*selection)) {
        const ElementRef ref{entry->element, entry->segment};
        const HostResult<int32_t> holeId = host.KepHolGetHoleId(ref);
        if (holeId && seen.insert(*holeId).second) order.push_back(*holeId);
    }
    host.KepIddCloseSelIdData(*selection);
    return order;
}

// The hole command's host interface over anything that answers the host library's calls as
// the library does, with references for the records' addresses and UTF-16 texts: the
// library's own functions (KepLibHost_win.h) or the stand-in's in-memory drawing. Only here
// are the raw answers read: -1 is a failed call, the end of the list or no hole; a null
// handle is no selection list.
#pragma once

#include "host/HoleHost.h"

template <class Raw>
class RawHoleHost final : public HoleHost {
public:
    RawHoleHost() = default;
    explicit RawHoleHost(Raw raw) : raw_(raw) {}

    int32_t KepElmGetSegment(int32_t elementKind, int32_t elementNumber) override {
        return raw_.KepElmGetSegment(elementKind, elementNumber);
    }
    HostResult<int32_t> KepHolGetHoleId(const ElementRef& ref) override {
        const int32_t holeId = raw_.KepHolGetHoleId(ref);
        if (holeId == kNoHole) return HostResult<int32_t>::Failure(holeId);
        return holeId;
    }
    HostResult<HoleRecord> KepHolGetHoleData(int32_t holeId) override {
        HoleRecord record{};
        const int32_t answer = raw_.KepHolGetHoleData(holeId, record);
        if (answer == kHostFailure) return HostResult<HoleRecord>::Failure(answer);
        return record;
    }
    HostResult<void> KepHolAmendHoleData(int32_t holeId, const HoleRecord& record) override {
        const int32_t answer = raw_.KepHolAmendHoleData(holeId, record);
        return answer == kHostFailure ? HostResult<void>::Failure(answer)
                                      : HostResult<void>::Done();
    }

    HostResult<void*> KepIddOpenSelIdData(int32_t mode) override {
        void* handle = raw_.KepIddOpenSelIdData(mode);
        if (handle == nullptr) return HostResult<void*>::Failure(0);
        return handle;
    }
    HostResult<SelectionEntry> KepIddGetHeadSelIdData(void* handle) override {
        SelectionEntry entry{};
        return Entry(raw_.KepIddGetHeadSelIdData(handle, entry), entry);
    }
    HostResult<SelectionEntry> KepIddGetNextSelIdData(void* handle) override {
        SelectionEntry entry{};
        return Entry(raw_.KepIddGetNextSelIdData(handle, entry), entry);
    }
    void KepIddCloseSelIdData(void* handle) override { raw_.KepIddCloseSelIdData(handle); }

    void KepMsgPutErrorMessage(const char16_t* text) override { raw_.KepMsgPutErrorMessage(text); }
    void KepDlgMessageBox(const char16_t* text) override { raw_.KepDlgMessageBox(text); }

private:
    static HostResult<SelectionEntry> Entry(int32_t answer, const SelectionEntry& entry) {
        if (answer == kHostFailure) return HostResult<SelectionEntry>::Failure(answer);
        return entry;
    }

    Raw raw_;
};

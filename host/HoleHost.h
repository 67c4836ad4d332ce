// The host operations the hole command uses, as an interface, so that the command can be
// driven by the real host library or by an in-process stand-in. Method names are those of
// the host library's functions; each call that can fail answers a HostResult.
#pragma once

#include <cstdint>

#include "host/HostResult.h"
#include "host/KepRecords.h"

class HoleHost {
public:
    virtual ~HoleHost() = default;

    // The host gives no failure answer here: whatever it says is the element's segment.
    virtual int32_t KepElmGetSegment(int32_t elementKind, int32_t elementNumber) = 0;
    // Fails when the element belongs to no hole.
    virtual HostResult<int32_t> KepHolGetHoleId(const ElementRef& ref) = 0;
    virtual HostResult<HoleRecord> KepHolGetHoleData(int32_t holeId) = 0;
    virtual HostResult<void> KepHolAmendHoleData(int32_t holeId, const HoleRecord& record) = 0;

    // Fails when there is no selection list; a list that was opened is closed by the caller.
    virtual HostResult<void*> KepIddOpenSelIdData(int32_t mode) = 0;
    // Fails when there is no (further) entry.
    virtual HostResult<SelectionEntry> KepIddGetHeadSelIdData(void* handle) = 0;
    virtual HostResult<SelectionEntry> KepIddGetNextSelIdData(void* handle) = 0;
    virtual void KepIddCloseSelIdData(void* handle) = 0;

    // Texts are null-terminated UTF-16.
    virtual void KepMsgPutErrorMessage(const char16_t* text) = 0;
    virtual void KepDlgMessageBox(const char16_t* text) = 0;
};

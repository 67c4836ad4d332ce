// The host operations the hole command uses, as an interface, so that the command can be
// driven by the real host library or by an in-process stand-in. Method names and results
// are those of the host library's functions.
#pragma once

#include <cstdint>

#include "host/KepRecords.h"

class HoleHost {
public:
    virtual ~HoleHost() = default;

    virtual int32_t KepElmGetSegment(int32_t elementKind, int32_t elementNumber) = 0;
    virtual int32_t KepHolGetHoleId(const ElementRef& ref) = 0;
    virtual int32_t KepHolGetHoleData(int32_t holeId, HoleRecord& record) = 0;
    virtual int32_t KepHolAmendHoleData(int32_t holeId, const HoleRecord& record) = 0;

    // A null handle means there is no selection list.
    virtual void* KepIddOpenSelIdData(int32_t mode) = 0;
    virtual int32_t KepIddGetHeadSelIdData(void* handle, SelectionEntry& entry) = 0;
    virtual int32_t KepIddGetNextSelIdData(void* handle, SelectionEntry& entry) = 0;
    virtual void KepIddCloseSelIdData(void* handle) = 0;

    // Texts are null-terminated UTF-16.
    virtual void KepMsgPutErrorMessage(const char16_t* text) = 0;
    virtual void KepDlgMessageBox(const char16_t* text) = 0;
};

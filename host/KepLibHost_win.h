// The hole command's host interface over the functions imported from KepLib.dll.
#pragma once

#include "host/RawHoleHost.h"

// The imported functions as a raw host: references for the records' addresses, UTF-16 texts.
struct KepLibCalls {
    int32_t KepElmGetSegment(int32_t elementKind, int32_t elementNumber);
    int32_t KepHolGetHoleId(const ElementRef& ref);
    int32_t KepHolGetHoleData(int32_t holeId, HoleRecord& record);
    int32_t KepHolAmendHoleData(int32_t holeId, const HoleRecord& record);
    void* KepIddOpenSelIdData(int32_t mode);
    int32_t KepIddGetHeadSelIdData(void* handle, SelectionEntry& entry);
    int32_t KepIddGetNextSelIdData(void* handle, SelectionEntry& entry);
    void KepIddCloseSelIdData(void* handle);
    void KepMsgPutErrorMessage(const char16_t* text);
    void KepDlgMessageBox(const char16_t* text);
};

using KepLibHost = RawHoleHost<KepLibCalls>;

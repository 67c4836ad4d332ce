// The hole command's host interface over the functions imported from KepLib.dll.
#pragma once

#include "host/HoleHost.h"

class KepLibHost final : public HoleHost {
public:
    int32_t KepElmGetSegment(int32_t elementKind, int32_t elementNumber) override;
    int32_t KepHolGetHoleId(const ElementRef& ref) override;
    int32_t KepHolGetHoleData(int32_t holeId, HoleRecord& record) override;
    int32_t KepHolAmendHoleData(int32_t holeId, const HoleRecord& record) override;

    void* KepIddOpenSelIdData(int32_t mode) override;
    int32_t KepIddGetHeadSelIdData(void* handle, SelectionEntry& entry) override;
    int32_t KepIddGetNextSelIdData(void* handle, SelectionEntry& entry) override;
    void KepIddCloseSelIdData(void* handle) override;

    void KepMsgPutErrorMessage(const char16_t* text) override;
    void KepDlgMessageBox(const char16_t* text) override;
};

#include "host/KepLibHost_win.h"

#include <string>

#include "host/KepLib.h"
#include "platform/WideText_win.h"

int32_t KepLibCalls::KepElmGetSegment(int32_t elementKind, int32_t elementNumber) {
    return ::KepElmGetSegment(elementKind, elementNumber);
}

int32_t KepLibCalls::KepHolGetHoleId(const ElementRef& ref) {
    return ::KepHolGetHoleId(&ref);
}

int32_t KepLibCalls::KepHolGetHoleData(int32_t holeId, HoleRecord& record) {
    return ::KepHolGetHoleData(holeId, &record);
}

int32_t KepLibCalls::KepHolAmendHoleData(int32_t holeId, const HoleRecord& record) {
    return ::KepHolAmendHoleData(holeId, &record);
}

void* KepLibCalls::KepIddOpenSelIdData(int32_t mode) {
    return ::KepIddOpenSelIdData(mode);
}

int32_t KepLibCalls::KepIddGetHeadSelIdData(void* handle, SelectionEntry& entry) {
    return ::KepIddGetHeadSelIdData(handle, &entry);
}

int32_t KepLibCalls::KepIddGetNextSelIdData(void* handle, SelectionEntry& entry) {
    return ::KepIddGetNextSelIdData(handle, &entry);
}

void KepLibCalls::KepIddCloseSelIdData(void* handle) {
    ::KepIddCloseSelIdData(handle);
}

void KepLibCalls::KepMsgPutErrorMessage(const char16_t* text) {
    ::KepMsgPutErrorMessage(ToWide(text).c_str());
}

void KepLibCalls::KepDlgMessageBox(const char16_t* text) {
    ::KepDlgMessageBox(ToWide(text).c_str());
}

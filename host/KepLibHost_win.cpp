#include "host/KepLibHost_win.h"

#include <string>

#include "host/KepLib.h"
#include "platform/WideText.h"

int32_t KepLibHost::KepElmGetSegment(int32_t elementKind, int32_t elementNumber) {
    return ::KepElmGetSegment(elementKind, elementNumber);
}

int32_t KepLibHost::KepHolGetHoleId(const ElementRef& ref) {
    return ::KepHolGetHoleId(&ref);
}

int32_t KepLibHost::KepHolGetHoleData(int32_t holeId, HoleRecord& record) {
    return ::KepHolGetHoleData(holeId, &record);
}

int32_t KepLibHost::KepHolAmendHoleData(int32_t holeId, const HoleRecord& record) {
    return ::KepHolAmendHoleData(holeId, &record);
}

void* KepLibHost::KepIddOpenSelIdData(int32_t mode) {
    return ::KepIddOpenSelIdData(mode);
}

int32_t KepLibHost::KepIddGetHeadSelIdData(void* handle, SelectionEntry& entry) {
    return ::KepIddGetHeadSelIdData(handle, &entry);
}

int32_t KepLibHost::KepIddGetNextSelIdData(void* handle, SelectionEntry& entry) {
    return ::KepIddGetNextSelIdData(handle, &entry);
}

void KepLibHost::KepIddCloseSelIdData(void* handle) {
    ::KepIddCloseSelIdData(handle);
}

void KepLibHost::KepMsgPutErrorMessage(const char16_t* text) {
    ::KepMsgPutErrorMessage(ToWide(text).c_str());
}

void KepLibHost::KepDlgMessageBox(const char16_t* text) {
    ::KepDlgMessageBox(ToWide(text).c_str());
}

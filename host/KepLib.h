// The host library's functions, exactly as KepLib.dll exports them (C linkage, Windows x64).
#pragma once

#include <cstdint>

#include "host/KepRecords.h"

extern "C" {

typedef int32_t(__cdecl* KepStartProc)(void);
typedef int32_t(__cdecl* KepResumeProc)(void);
typedef void(__cdecl* KepEndProc)(void);
typedef int32_t(__cdecl* KepExecuteProc)(int32_t eventCode);
typedef int32_t(__cdecl* KepCompareProc)(int32_t elementKind, int32_t elementNumber);

#ifndef KEPLIB_API
#define KEPLIB_API __declspec(dllimport)
#endif

KEPLIB_API int32_t __cdecl KepCtlRegisterKepLib2(KepStartProc start, KepResumeProc resume,
                                                 KepEndProc end);
KEPLIB_API void __cdecl KepCtlSetExecuteFunc(KepExecuteProc execute, const wchar_t* title);
KEPLIB_API void __cdecl KepEvtSetEventMask(int32_t mask);
KEPLIB_API void __cdecl KepEvtSetObject(const int32_t* object);
KEPLIB_API void __cdecl KepEvtSetCompareFunction(KepCompareProc compare);
KEPLIB_API int32_t __cdecl KepIddClearSysIdData(void);
KEPLIB_API void* __cdecl KepIddOpenSelIdData(int32_t mode);
KEPLIB_API int32_t __cdecl KepIddGetHeadSelIdData(void* handle, SelectionEntry* entry);
KEPLIB_API int32_t __cdecl KepIddGetNextSelIdData(void* handle, SelectionEntry* entry);
KEPLIB_API void __cdecl KepIddCloseSelIdData(void* handle);
KEPLIB_API int32_t __cdecl KepElmGetSegment(int32_t elementKind, int32_t elementNumber);
KEPLIB_API int32_t __cdecl KepHolGetHoleId(const ElementRef* ref);
KEPLIB_API int32_t __cdecl KepHolGetHoleData(int32_t holeId, HoleRecord* record);
KEPLIB_API int32_t __cdecl KepHolAmendHoleData(int32_t holeId, const HoleRecord* record);
KEPLIB_API void __cdecl KepMsgPutMessage(const wchar_t* text);
KEPLIB_API void __cdecl KepMsgPutErrorMessage(const wchar_t* text);
KEPLIB_API void __cdecl KepDlgMessageBox(const wchar_t* text);

}  // extern "C"

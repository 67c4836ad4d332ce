// Test controls of the stand-in KepLib.dll, beside the host functions it implements. They
// let a test host load a drawing, select elements, make host calls fail, and read back
// what the module did. C linkage; texts are UTF-16 in, UTF-8 out.
#pragma once

#include <cstdint>

#include "host/KepLib.h"

#ifndef KEPTEST_API
#define KEPTEST_API __declspec(dllimport)
#endif

extern "C" {

// Forgets the drawing, the selection, the registration, injected failures and the log.
KEPTEST_API void __cdecl KepTestReset(void);

// Loads a drawing in the text format of standin/DrawingFile.h from a file. Returns 0, or -1
// with a description of the problem in the log.
KEPTEST_API int32_t __cdecl KepTestLoadDrawing(const wchar_t* path);

// The host's selection list: append one entry, select every element, or empty it.
// KepTestSelect returns 0 when the drawing has that element in that segment, else -1 (the
// entry is added either way).
KEPTEST_API int32_t __cdecl KepTestSelect(int32_t segment, int32_t element);
KEPTEST_API void __cdecl KepTestSelectAll(void);
KEPTEST_API void __cdecl KepTestClearSelection(void);

// The nth call (from 1, counted from now) of the named host function fails: -1 results,
// or a null handle for KepIddOpenSelIdData; nth 0 makes every call fail. Returns -1 for
// an unknown name.
KEPTEST_API int32_t __cdecl KepTestFailCall(const char* functionName, int32_t nth);

// Result of the next registrations (KepCtlRegisterKepLib2); the default is 1.
KEPTEST_API void __cdecl KepTestSetRegisterResult(int32_t result);

// What the module handed to the host.
KEPTEST_API KepStartProc __cdecl KepTestStartCallback(void);
KEPTEST_API KepResumeProc __cdecl KepTestResumeCallback(void);
KEPTEST_API KepEndProc __cdecl KepTestEndCallback(void);
KEPTEST_API KepExecuteProc __cdecl KepTestExecuteCallback(void);
KEPTEST_API KepCompareProc __cdecl KepTestCompareCallback(void);

// The log: one UTF-8 line per host call or message, e.g. KepEvtSetEventMask(32) or
// KepDlgMessageBox("..."). Lines are numbered from 0; KepTestLogLine copies line i with its
// terminating null into buffer (at most size bytes) and returns its length in bytes, or -1
// when there is no line i. KepTestLogCalls(0) keeps only the message lines.
KEPTEST_API int32_t __cdecl KepTestLogCount(void);
KEPTEST_API int32_t __cdecl KepTestLogLine(int32_t i, char* buffer, int32_t size);
KEPTEST_API void __cdecl KepTestClearLog(void);
KEPTEST_API void __cdecl KepTestLogCalls(int32_t enabled);

// The hole records as the host now holds them (after any amendments). Returns 0, or -1 for
// an unknown hole id. The record's steps point at the host's own array, which the next
// amendment replaces: read steps with KepTestHoleStep, which gives step i of the hole.
KEPTEST_API int32_t __cdecl KepTestHoleRecord(int32_t holeId, HoleRecord* record);
KEPTEST_API int32_t __cdecl KepTestHoleStep(int32_t holeId, int32_t i, HoleStep* step);
// How often the host accepted an amended record for the hole.
KEPTEST_API int32_t __cdecl KepTestAmendCount(int32_t holeId);

// The distinct holes of the selected elements in selection order: copies at most capacity
// ids and returns how many there are.
KEPTEST_API int32_t __cdecl KepTestSelectedHoleIds(int32_t* ids, int32_t capacity);

// Adds a line of the caller's own to the log (UTF-8), e.g. a message box a test host saw,
// so that it stands in order among the host calls. Kept even when calls are not logged.
KEPTEST_API void __cdecl KepTestAppendLog(const char* line);

}  // extern "C"

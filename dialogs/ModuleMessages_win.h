// The module's own message boxes, with the caption "Quillet", and the words it uses for file
// errors.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "texts/FileReport.h"

// Tells the user that the file could not be opened (or saved), naming its full path and the
// cause: the system's text for the Win32 error and its number.
void ReportFileError(FileAction action, std::wstring_view path, DWORD error);

// "<system text> (오류 코드 <error>)".
std::wstring DescribeWin32Error(DWORD error);

void ShowModuleMessage(std::wstring_view text, UINT icon = MB_ICONINFORMATION);

// A question with 예 and 아니요, 아니요 being the default; true for 예.
bool AskModuleQuestion(std::wstring_view text);

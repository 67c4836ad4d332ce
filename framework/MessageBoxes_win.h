// Message boxes owned by the active window of the calling thread, if any.
#pragma once

#include <windows.h>

#include <string_view>

void ShowMessageBox(std::wstring_view caption, std::wstring_view text, UINT icon);

// A question with Yes and No, No being the default; true for Yes.
bool AskYesOrNo(std::wstring_view caption, std::wstring_view text);

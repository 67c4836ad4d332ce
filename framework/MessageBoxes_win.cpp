#include "framework/MessageBoxes_win.h"

#include <string>

void ShowMessageBox(std::wstring_view caption, std::wstring_view text, UINT icon) {
    const std::wstring ownedCaption(caption), ownedText(text);
    MessageBoxW(GetActiveWindow(), ownedText.c_str(), ownedCaption.c_str(), MB_OK | icon);
}

bool AskYesOrNo(std::wstring_view caption, std::wstring_view text) {
    const std::wstring ownedCaption(caption), ownedText(text);
    return MessageBoxW(GetActiveWindow(), ownedText.c_str(), ownedCaption.c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

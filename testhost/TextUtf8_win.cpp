#include "testhost/TextUtf8.h"

#include "platform/TextEncoding.h"
#include "platform/WideText_win.h"

std::string Utf8FromWide(std::wstring_view text) {
    return Utf8FromUtf16(ToU16(text), SurrogateForm::Replaced);
}

std::wstring WideFromUtf8(std::string_view text) {
    return ToWide(Utf16FromUtf8Replacing(text, SurrogateForm::Replaced).text);
}

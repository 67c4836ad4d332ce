#include <cstring>

#include "platform/SystemErrorText.h"
#include "platform/TextEncoding.h"

// The C library's text is in the locale's language; the program runs in the C locale, whose
// texts are English, so both languages give the same.
std::u16string SystemErrorText(uint32_t code, ErrorTextLanguage /*language*/) {
    return Utf16FromUtf8Replacing(std::strerror(static_cast<int>(code)), SurrogateForm::Replaced)
        .text;
}

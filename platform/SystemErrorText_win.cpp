#include "platform/SystemErrorText.h"

#include <windows.h>

#include <memory>

namespace {

struct LocalFreeDeleter {
    void operator()(wchar_t* text) const { LocalFree(text); }
};

}  // namespace

std::u16string SystemErrorText(uint32_t code, ErrorTextLanguage language) {
    // Language 0 lets the system choose the user's language.
    const LANGID id =
        language == ErrorTextLanguage::English ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US) : 0;
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, id, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owner(buffer);
    if (length == 0 || buffer == nullptr) return {};
    std::u16string text(buffer, buffer + length);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
        text.pop_back();
    }
    return text;
}

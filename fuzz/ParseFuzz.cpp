// Any UTF-16 text through the code and diameter parsers: no crash, and on ASCII texts in
// decimal notation the same results as the C library's wide conversions in the C locale
// (a code is a 32-bit long, so the library's wider result is clamped), and the same
// consumed length as the library's end pointer.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "rules/RuleText.h"

namespace {

// Texts the C library reads differently by design: infinities, NaNs and hexadecimal.
bool ComparableWithCLibrary(const std::u16string& text) {
    for (char16_t c : text) {
        if (c == 0 || c >= 0x80) return false;
        switch (c) {
            case u'i':
            case u'I':
            case u'n':
            case u'N':
            case u'x':
            case u'X':
                return false;
            default:
                break;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    if (!text.empty()) std::memcpy(text.data(), data, text.size() * 2);
    const int32_t code = ParseCode(text);
    const double diameter = ParseDiameter(text);
    if (!ComparableWithCLibrary(text)) return 0;

    const std::wstring wide(text.begin(), text.end());
    wchar_t* codeEnd = nullptr;
    const long wideCode = std::wcstol(wide.c_str(), &codeEnd, 10);
    const int32_t expectedCode =
        wideCode > INT32_MAX ? INT32_MAX : (wideCode < INT32_MIN ? INT32_MIN : int32_t(wideCode));
    if (code != expectedCode) std::abort();
    if (ReadCodePrefix(text).length != size_t(codeEnd - wide.c_str())) std::abort();
    wchar_t* diameterEnd = nullptr;
    const double expectedDiameter = std::wcstod(wide.c_str(), &diameterEnd);
    if (std::memcmp(&diameter, &expectedDiameter, sizeof diameter) != 0) std::abort();
    if (ReadDiameterPrefix(text).length != size_t(diameterEnd - wide.c_str())) std::abort();
    return 0;
}

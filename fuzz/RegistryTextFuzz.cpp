// Registry data of any length and content decodes without reading past the bytes given,
// stops at the first null unit, and round-trips a text written with its null.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "settings/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so AddressSanitizer sees any read past the data.
    auto exact = std::make_unique<unsigned char[]>(size);
    for (size_t i = 0; i < size; ++i) exact[i] = data[i];
    const std::u16string text = DecodeRegistryText({exact.get(), size});
    if (text.size() > size / 2) std::abort();
    if (text.find(u'\0') != std::u16string::npos) std::abort();

    std::string written;
    for (char16_t c : text) {
        written.push_back(static_cast<char>(c & 0xFF));
        written.push_back(static_cast<char>(c >> 8));
    }
    written.append(2, '\0');
    const auto* bytes = reinterpret_cast<const unsigned char*>(written.data());
    if (DecodeRegistryText({bytes, written.size()}) != text) std::abort();
    return 0;
}

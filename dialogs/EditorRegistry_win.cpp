#include "dialogs/EditorRegistry.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <span>

#include "dialogs/EditorValues.h"
#include "platform/Handles.h"
#include "platform/WideText.h"

namespace {

std::wstring RegistryPath(std::u16string_view keyPath) {
    std::wstring path = ToWide(keyPath);
    std::ranges::replace(path, L'/', L'\\');
    return path;
}

}  // namespace

int RegReadText(std::u16string_view keyPath, std::u16string_view valueName, std::u16string& text) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RegistryPath(keyPath).c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        return -1;
    }
    std::array<unsigned char, kEditorValueMaxBytes + 1> buffer{};
    DWORD type = 0;
    DWORD size = kEditorValueMaxBytes;
    if (RegQueryValueExW(key.get(), ToWide(valueName).c_str(), nullptr, &type, buffer.data(),
                         &size) != ERROR_SUCCESS) {
        return -1;
    }
    // The stored type is not checked, and the data need not end in a null within the bytes
    // read: only what was read is decoded.
    text =
        DecodeRegistryText(std::span(buffer.data(), std::min<size_t>(size, kEditorValueMaxBytes)));
    return 0;
}

int RegWriteText(std::u16string_view keyPath, std::u16string_view valueName,
                 std::u16string_view text) {
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, RegistryPath(keyPath).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    const std::wstring data = ToWide(text);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = RegSetValueExW(key.get(), ToWide(valueName).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    return status == ERROR_SUCCESS ? 0 : -1;
}

bool WriteSetting(std::u16string_view subKeyName, std::u16string_view valueName,
                  std::u16string_view text) {
    return RegWriteText(MakeKeyPath(subKeyName), valueName, text) == 0;
}

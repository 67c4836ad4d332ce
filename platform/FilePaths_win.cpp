#include "platform/FilePaths_win.h"

#include <shlobj.h>

#include <vector>

#include "platform/WideText_win.h"

namespace {

// Longest path the system gives a module, in UTF-16 code units with the terminator.
constexpr DWORD kLongestPath = 32768;

bool IsExtendedLength(std::wstring_view path) {
    return path.starts_with(LR"(\\?\)");
}
bool IsUnc(std::wstring_view path) {
    return path.starts_with(LR"(\\)");
}
bool IsDriveAbsolute(std::wstring_view path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
}

}  // namespace

HMODULE ModuleContaining(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCWSTR>(address), &module);
    return module;
}

// GetModuleFileNameW truncates silently when the buffer is too small and then returns the
// buffer's size, so the buffer grows until the name fits with room to spare.
std::wstring ModuleFileName(HMODULE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(module, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) return std::wstring(buffer.data(), length);
        if (size >= kLongestPath) return {};
        buffer.resize(size * 2);
    }
}

std::u16string ModuleFolderOf(const void* address) {
    return FolderOf(ToU16(ModuleFileName(ModuleContaining(address))));
}

std::u16string FolderOf(std::u16string_view path) {
    const size_t backslash = path.rfind(u'\\');
    if (backslash == std::u16string_view::npos) return {};
    return std::u16string(path.substr(0, backslash));
}

std::wstring ForFileApi(std::wstring_view path) {
    if (path.size() < MAX_PATH || IsExtendedLength(path)) return std::wstring(path);
    if (IsUnc(path)) return LR"(\\?\UNC\)" + std::wstring(path.substr(2));
    if (IsDriveAbsolute(path)) return LR"(\\?\)" + std::wstring(path);
    return std::wstring(path);
}

std::optional<SYSTEMTIME> LastWriteLocalTime(std::u16string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ForFileApi(ToWide(path)).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    SYSTEMTIME utc{}, local{};
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return std::nullopt;
    }
    return local;
}

std::u16string LocalAppDataFolder(std::u16string_view name, bool create) {
    PWSTR base = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &base);
    std::u16string folder = SUCCEEDED(found) ? ToU16(base) : std::u16string();
    CoTaskMemFree(base);
    if (folder.empty()) return {};
    folder += u"\\" + std::u16string(name);
    if (create && !CreateDirectoryW(ForFileApi(ToWide(folder)).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        return {};
    }
    return folder;
}

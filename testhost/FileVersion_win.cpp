#include "testhost/FileVersion.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "testhost/TextUtf8.h"

namespace {

constexpr const wchar_t* kStringNames[] = {
    L"FileDescription",  L"FileVersion", L"InternalName",   L"LegalCopyright",
    L"OriginalFilename", L"ProductName", L"ProductVersion",
};

std::string FourPartVersion(DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
           std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

template <typename Value>
const Value* Query(const std::vector<unsigned char>& block, const std::wstring& path, UINT& size) {
    void* value = nullptr;
    size = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &size)) return nullptr;
    return static_cast<const Value*>(value);
}

}  // namespace

std::optional<FileVersionInfo> ReadFileVersionInfo(const std::filesystem::path& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::nullopt;

    FileVersionInfo info;
    UINT length = 0;
    const auto* fixed = Query<VS_FIXEDFILEINFO>(block, L"\\", length);
    if (fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    info.fileVersion = FourPartVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    info.productVersion = FourPartVersion(fixed->dwProductVersionMS, fixed->dwProductVersionLS);

    const auto* translation = Query<WORD>(block, L"\\VarFileInfo\\Translation", length);
    if (translation == nullptr || length < 2 * sizeof(WORD)) return info;
    info.language = translation[0];
    info.codePage = translation[1];
    wchar_t table[16];
    std::swprintf(table, std::size(table), L"%04x%04x", info.language, info.codePage);
    for (const wchar_t* name : kStringNames) {
        const std::wstring path = L"\\StringFileInfo\\" + std::wstring(table) + L"\\" + name;
        const auto* text = Query<wchar_t>(block, path, length);
        if (text == nullptr) continue;
        std::wstring_view value(text, length);
        while (!value.empty() && value.back() == L'\0') value.remove_suffix(1);
        info.strings[Utf8FromWide(name)] = Utf8FromWide(value);
    }
    return info;
}

std::optional<std::string> ReadImageVersion(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    IMAGE_DOS_HEADER dos{};
    if (!in.read(reinterpret_cast<char*>(&dos), sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) {
        return std::nullopt;
    }
    IMAGE_NT_HEADERS64 nt{};
    if (!in.seekg(dos.e_lfanew) || !in.read(reinterpret_cast<char*>(&nt), sizeof nt) ||
        nt.Signature != IMAGE_NT_SIGNATURE ||
        nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        return std::nullopt;
    }
    return std::to_string(nt.OptionalHeader.MajorImageVersion) + "." +
           std::to_string(nt.OptionalHeader.MinorImageVersion);
}

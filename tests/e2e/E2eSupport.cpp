#include "E2eSupport.h"

#include <atomic>
#include <fstream>
#include <stdexcept>

#include "platform/FilePaths.h"
#include "platform/Handles.h"
#include "testhost/TextUtf8.h"

namespace fs = std::filesystem;

namespace {

std::atomic<int> folderCounter{0};

std::wstring UniqueFolderName() {
    return L"quillet-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++folderCounter);
}

// Read-only files would stop the removal on Windows.
void MakeWritable(const std::wstring& folder) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(ForFileApi(folder), error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace

TempFolder::TempFolder(size_t minimumPathLength) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0) throw std::runtime_error("no temporary folder");
    path_ = std::wstring(temp, length);
    if (path_.ends_with(L'\\')) path_.pop_back();
    path_ += L"\\" + UniqueFolderName();
    // Nested folders of ordinary length reach the wanted total without any one name being
    // too long for the file system.
    while (path_.size() < minimumPathLength) path_ += L"\\" + std::wstring(60, L'd');
    std::error_code error;
    fs::create_directories(ForFileApi(path_), error);
    if (error) throw std::runtime_error("cannot create test folder: " + error.message());
}

TempFolder::~TempFolder() {
    MakeWritable(path_);
    const std::wstring top = path_.substr(0, path_.find(L'\\', path_.find(L"quillet-e2e-")));
    std::error_code error;
    fs::remove_all(ForFileApi(top), error);
}

Bytes ReadBytes(const std::wstring& path) {
    std::ifstream in(fs::path(ForFileApi(path)), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + Utf8FromWide(path));
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
    std::ofstream out(fs::path(ForFileApi(path)), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + Utf8FromWide(path));
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(ForFileApi(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(ForFileApi(folder))) {
        names.push_back(entry.path().filename().wstring());
    }
    return names;
}

Bytes Utf16Le(std::u16string_view text, bool bom) {
    Bytes bytes;
    if (bom) bytes = {0xFF, 0xFE};
    for (char16_t unit : text) {
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return bytes;
}

long RunProcess(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    if (WaitForSingleObject(processHandle.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(processHandle.get(), 1);
        WaitForSingleObject(processHandle.get(), timeoutMs);
        return -1;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(processHandle.get(), &exitCode);
    return static_cast<long>(exitCode);
}

std::wstring ThisProgram() {
    return ModuleFileName(nullptr);
}

DisplayDriverLoaded::DisplayDriverLoaded() {
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    if (window != nullptr) DestroyWindow(window);
}

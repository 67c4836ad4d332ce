#include "E2eSupport.h"

#include <atomic>
#include <fstream>
#include <stdexcept>

#include "platform/FilePaths_win.h"
#include "platform/Handles_win.h"
#include "testhost/TextUtf8.h"

namespace fs = std::filesystem;

namespace {

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type search) { FindClose(search); }
};

std::wstring ExtendedLength(const std::wstring& absolutePath) {
    return LR"(\\?\)" + absolutePath;
}

std::wstring TemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
    std::wstring folder(temp, length);
    if (folder.ends_with(L'\\')) folder.pop_back();
    return folder;
}

// A folder no earlier run can have left behind: the name is taken only if it is new.
std::wstring MakeNewFolderIn(const std::wstring& parent) {
    static std::atomic<unsigned> made{0};
    for (;;) {
        const std::wstring folder =
            parent + L"\\quillet-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++made) + L"-" + std::to_wstring(GetTickCount64());
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot create a test folder in " + Utf8FromWide(parent));
        }
    }
}

// Paths in extended-length form, so that deep folders go too; read-only files as well.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    const UniqueResource<FindHandleTraits> search(
        FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = search.valid(); more; more = FindNextFileW(search.get(), &found)) {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = folder + L"\\" + name;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            RemoveTree(child);
        } else {
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(child.c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder(size_t minimumPathLength) : top_(MakeNewFolderIn(TemporaryFolder())) {
    path_ = top_;
    // Nested folders of ordinary length reach the wanted total without any one name being
    // too long for the file system.
    while (path_.size() < minimumPathLength) {
        path_ += L"\\" + std::wstring(60, L'd');
        if (!CreateDirectoryW(ExtendedLength(path_).c_str(), nullptr)) {
            throw std::runtime_error("cannot create " + Utf8FromWide(path_));
        }
    }
}

TempFolder::~TempFolder() {
    RemoveTree(ExtendedLength(top_));
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

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments,
                           const std::wstring& outputFile) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    UniqueFile output;
    if (!outputFile.empty()) {
        // Sharing writes too: a process the child starts (Wine's desktop process, started by
        // the first program that touches the desktop) can keep the inherited handle open,
        // and the next run must still be able to replace the file.
        output.reset(CreateFileW(outputFile.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 &inheritable, CREATE_ALWAYS, 0, nullptr));
        if (!output) {
            throw std::runtime_error("cannot create the output file " + Utf8FromWide(outputFile));
        }
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output.get();
    }
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, output.valid(), 0,
                       nullptr, nullptr, &startup, &process)) {
        process_.reset(process.hProcess);
        CloseHandle(process.hThread);
        id_ = process.dwProcessId;
    }
}

long ChildProcess::Wait(DWORD timeoutMs) {
    if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        Kill();
        return -1;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.get(), &exitCode);
    return static_cast<long>(exitCode);
}

void ChildProcess::Kill() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 10000);
    }
}

long RunProcess(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs) {
    return ChildProcess(program, arguments).Wait(timeoutMs);
}

std::wstring ThisProgram() {
    return ModuleFileName(nullptr);
}

DisplayDriverLoaded::DisplayDriverLoaded() {
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    if (window != nullptr) DestroyWindow(window);
}

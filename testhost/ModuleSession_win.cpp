#include "testhost/ModuleSession.h"

#include <cwctype>
#include <stdexcept>
#include <string>

#include "platform/SystemErrorText.h"
#include "platform/TextEncoding.h"
#include "standin/KepTest.h"
#include "testhost/TextUtf8.h"

namespace {

std::filesystem::path ProgramPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string Describe(const std::filesystem::path& path) {
    return Utf8FromWide(path.wstring());
}

enum class Overwrite { Allowed, Refused };

// CopyFileW rather than std::filesystem::copy_file, whose overwrite fails with MinGW's
// runtime ("File exists").
void CopyInto(const std::filesystem::path& from, const std::filesystem::path& to,
              Overwrite overwrite) {
    if (CopyFileW(from.c_str(), to.c_str(), overwrite == Overwrite::Refused)) return;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS) {
        throw std::runtime_error(Describe(to) +
                                 " already exists; the module is copied there and the copy "
                                 "removed afterwards, so choose a folder without one");
    }
    throw std::runtime_error("cannot copy " + Describe(from) + " to " + Describe(to) + ": " +
                             DescribeError(error));
}

// The copy is removed when the last handle to it closes and the module is unloaded, however
// the process ends; until then it can be loaded (the loader shares deletion) but not replaced.
UniqueFile HoldForDeletion(const std::filesystem::path& path) {
    UniqueFile file(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        DeleteFileW(path.c_str());
        throw std::runtime_error("cannot open " + Describe(path) +
                                 " for removal: " + DescribeError(error));
    }
    return file;
}

// GetFullPathNameW rather than std::filesystem::absolute, which with MinGW's runtime turns
// a long-path folder (\\?\C:\...) into Z:\?\C:\....
std::filesystem::path FullPath(const std::filesystem::path& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                        buffer.data(), nullptr);
        if (length == 0) return path;
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

void MakeFolder(const std::filesystem::path& folder) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    std::filesystem::create_directories(folder);
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

template <typename Callback>
Callback Registered(Callback callback, const char* what) {
    if (!callback) throw std::logic_error(std::string("the module registered no ") + what);
    return callback;
}

}  // namespace

// "File not found. (error 2)"
std::string DescribeError(DWORD error) {
    std::u16string text = SystemErrorText(error, ErrorTextLanguage::English);
    if (text.empty()) text = u"unknown error";
    return Utf8FromUtf16(text, SurrogateForm::Replaced) + " (error " + std::to_string(error) + ")";
}

std::filesystem::path DefaultModulePath() {
    return ProgramPath().parent_path() / L"Quillet.dll";
}

ModuleSession::ModuleSession(const ModuleSessionOptions& options)
    : folder_(FullPath(options.folder)) {
    if (GetFileAttributesW(options.module.c_str()) == INVALID_FILE_ATTRIBUTES) {
        throw std::runtime_error("module not found: " + Describe(options.module) + " (" +
                                 DescribeError(GetLastError()) + ")");
    }
    KepTestReset();
    MakeFolder(folder_);
    modulePath_ = folder_ / L"Quillet.dll";
    if (!SameFile(options.module, modulePath_)) {
        CopyInto(options.module, modulePath_, Overwrite::Refused);
        moduleCopy_ = HoldForDeletion(modulePath_);
    }
    if (options.ruleFile && !SameFile(*options.ruleFile, folder_ / L"Quillet.def")) {
        CopyInto(*options.ruleFile, folder_ / L"Quillet.def", Overwrite::Allowed);
    }
    if (options.prepareHost) options.prepareHost();

    module_.reset(LoadLibraryW(modulePath_.c_str()));
    if (!module_) {
        throw std::runtime_error("cannot load " + Describe(modulePath_) + ": " +
                                 DescribeError(GetLastError()));
    }
    using StartupProc = int32_t(__cdecl*)(void);
    auto startup = reinterpret_cast<StartupProc>(
        reinterpret_cast<void*>(GetProcAddress(module_.get(), "Startup")));
    if (!startup) throw std::runtime_error(Describe(modulePath_) + " exports no Startup");
    if (options.beforeStartup) options.beforeStartup(module_.get());
    startupResult_ = startup();
}

ModuleSession::~ModuleSession() {
    constexpr int kMostWaitMilliseconds = 30'000;
    module_.reset();
    for (int waited = 0; waited < kMostWaitMilliseconds; waited += 5) {
        if (GetModuleHandleW(modulePath_.c_str()) == nullptr) return;
        Sleep(5);
    }
}

int32_t ModuleSession::Start() {
    return Registered(KepTestStartCallback(), "start callback")();
}

int32_t ModuleSession::Execute(int32_t eventCode) {
    return Registered(KepTestExecuteCallback(), "execute callback")(eventCode);
}

int32_t ModuleSession::Pick(int32_t elementKind, int32_t elementNumber) {
    return Registered(KepTestCompareCallback(), "pick filter")(elementKind, elementNumber);
}

void ModuleSession::End() {
    Registered(KepTestEndCallback(), "end callback")();
}

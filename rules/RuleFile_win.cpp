#include "rules/RuleFile.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/FilePaths.h"
#include "platform/Handles.h"
#include "rules/RuleFileFormat.h"
#ifdef QUILLET_RULE_FILE_TEST_SEAM
#include "rules/RuleFileTestSeam.h"
#endif

namespace {

constexpr DWORD kShareNothing = 0;
constexpr DWORD kChunkSize = 64 * 1024;

// Any object of this file: its address names the module the rule file belongs to.
const char moduleAnchor = 0;

DWORD ReadWholeFile(const std::wstring& path, std::vector<unsigned char>& bytes) {
    const UniqueFile file(CreateFileW(ForFileApi(path).c_str(), GENERIC_READ, kShareNothing,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    std::vector<unsigned char> chunk(kChunkSize);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), kChunkSize, &read, nullptr)) return GetLastError();
        if (read == 0) return ERROR_SUCCESS;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + read);
    }
}

// MoveFileExW would replace a read-only file under some systems and refuse under others;
// a read-only rule file (or a folder of that name) is never replaced.
DWORD CheckReplaceable(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(ForFileApi(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

DWORD WriteAll(HANDLE file, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkSize));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, size, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
}

// A file this call could not create may belong to someone else and is left alone; one it
// created but could not fill is removed.
DWORD WriteNewFile(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(ForFileApi(path).c_str(), GENERIC_WRITE, kShareNothing, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    const DWORD error = WriteAll(file.get(), bytes);
    if (error != ERROR_SUCCESS) {
        file.reset();
        DeleteFileW(ForFileApi(path).c_str());
    }
    return error;
}

// The new contents go to a temporary file in the same folder first, so the replace is one
// rename on the same volume and a failure at any step leaves the old file whole.
DWORD ReplaceFileContents(const std::wstring& path, const std::string& bytes,
                          void (*beforeReplace)()) {
    if (const DWORD refusal = CheckReplaceable(path); refusal != ERROR_SUCCESS) return refusal;
    const std::wstring temporary = path + L".tmp";
    if (const DWORD error = WriteNewFile(temporary, bytes); error != ERROR_SUCCESS) return error;
    if (beforeReplace != nullptr) beforeReplace();
    if (!MoveFileExW(ForFileApi(temporary).c_str(), ForFileApi(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(ForFileApi(temporary).c_str());
        return error;
    }
    return ERROR_SUCCESS;
}

RuleFileSaveResult SaveTo(const std::wstring& path, const RuleTable& table,
                          void (*beforeReplace)()) {
    return {path, ReplaceFileContents(path, EncodeRuleFile(table), beforeReplace)};
}

}  // namespace

std::wstring GetModuleDir() {
    return FolderOf(ModuleFileName(ModuleContaining(&moduleAnchor)));
}

std::wstring RuleFilePath(std::wstring_view baseName) {
    return GetModuleDir() + L"\\" + std::wstring(baseName) + L".def";
}

RuleFileLoadResult LoadRuleFile(RuleTable& table) {
    return LoadRuleFileFrom(RuleFilePath(kRuleFileBaseName), table);
}

RuleFileLoadResult LoadRuleFileFrom(const std::wstring& path, RuleTable& table) {
    table.Clear();
    RuleFileLoadResult result;
    result.path = path;
    std::vector<unsigned char> bytes;
    result.error = ReadWholeFile(path, bytes);
    if (result.succeeded()) result.lines = DecodeRuleFile(bytes, table);
    return result;
}

RuleFileSaveResult SaveRuleFile(const RuleTable& table, std::wstring_view baseName) {
    return SaveRuleFileTo(RuleFilePath(baseName), table);
}

RuleFileSaveResult SaveRuleFileTo(const std::wstring& path, const RuleTable& table) {
    return SaveTo(path, table, nullptr);
}

#ifdef QUILLET_RULE_FILE_TEST_SEAM
RuleFileSaveResult SaveRuleFileTo(const std::wstring& path, const RuleTable& table,
                                  BeforeReplaceHook beforeReplace) {
    return SaveTo(path, table, beforeReplace);
}
#endif

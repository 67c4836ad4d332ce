#include "rules/RuleFile.h"

#include <windows.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "platform/FilePaths.h"
#include "platform/Handles.h"
#include "rules/LegacyCodePage.h"
#include "rules/RuleFileFormat.h"
#ifdef QUILLET_RULE_FILE_TEST_SEAM
#include "rules/RuleFileTestSeam.h"
#endif

namespace {

using Bytes = std::vector<unsigned char>;

constexpr DWORD kShareNothing = 0;
// The copy for the backup lets other readers in, and other saves rename over the file.
constexpr DWORD kShareWithSaves = FILE_SHARE_READ | FILE_SHARE_DELETE;
constexpr DWORD kChunkSize = 64 * 1024;
// A name is taken by this save's other file, or by another save only by chance (a reused
// process id, another machine on a shared folder), so a few attempts find a free one.
constexpr unsigned kNameAttempts = 100;
// Rounds of backup and replace while other programs are in the way, and the pause between
// them: a rule file held open for longer fails the save within a fifth of a second.
constexpr unsigned kReplaceRounds = 10;
constexpr DWORD kPauseBetweenRoundsMs = 20;

// Any object of this file: its address names the module the rule file belongs to.
const char moduleAnchor = 0;

bool IsNameTaken(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

DWORD ReadWholeFile(const std::wstring& path, DWORD share, Bytes& bytes) {
    const UniqueFile file(CreateFileW(ForFileApi(path).c_str(), GENERIC_READ, share, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

DWORD WriteAll(HANDLE file, std::span<const unsigned char> bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkSize));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, size, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
}

// A file of this save's own beside the rule file, holding the given bytes. Its name is
// taken only when it is new, so no other save, in this process or another, writes, renames
// or removes it; and it is removed again unless it has been moved into place.
class OwnTemporaryFile {
public:
    OwnTemporaryFile(const std::wstring& besidePath, std::span<const unsigned char> bytes) {
        for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
            const std::wstring candidate = TemporaryPathCandidate(besidePath, attempt);
            const UniqueFile file(CreateFileW(ForFileApi(candidate).c_str(), GENERIC_WRITE,
                                              kShareNothing, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) {
                error_ = GetLastError();
                if (IsNameTaken(error_)) continue;
                return;
            }
            path_ = candidate;
            error_ = WriteAll(file.get(), bytes);
            return;
        }
    }
    ~OwnTemporaryFile() {
        if (!path_.empty()) DeleteFileW(ForFileApi(path_).c_str());
    }
    OwnTemporaryFile(const OwnTemporaryFile&) = delete;
    OwnTemporaryFile& operator=(const OwnTemporaryFile&) = delete;

    // ERROR_SUCCESS when the file holds all the bytes.
    DWORD error() const { return error_; }

    // One rename on the same volume; afterwards the file is no longer ours to remove.
    DWORD MoveTo(const std::wstring& target, DWORD flags) {
        if (!MoveFileExW(ForFileApi(path_).c_str(), ForFileApi(target).c_str(),
                         flags | MOVEFILE_WRITE_THROUGH)) {
            return GetLastError();
        }
        path_.clear();
        return ERROR_SUCCESS;
    }

private:
    std::wstring path_;  // empty while no file is ours
    DWORD error_ = ERROR_SUCCESS;
};

struct BackupOutcome {
    DWORD error = ERROR_SUCCESS;
    bool ruleFileExisted = false;
};

// Copies the rule file as it is now to the backup through a file of this save's own, so an
// older backup is replaced by one rename too and is never partly written. ReplaceFileW is
// not used: Wine's renames the rule file away before it moves the new one in, and Windows
// documents a failure that leaves it so.
BackupOutcome KeepBackupOf(const std::wstring& path) {
    Bytes old;
    const DWORD readError = ReadWholeFile(path, kShareWithSaves, old);
    if (readError == ERROR_FILE_NOT_FOUND) return {};
    if (readError != ERROR_SUCCESS) return {readError, true};
    OwnTemporaryFile copy(path, old);
    if (copy.error() != ERROR_SUCCESS) return {copy.error(), true};
    return {copy.MoveTo(BackupPathOf(path), MOVEFILE_REPLACE_EXISTING), true};
}

// A rule file found missing is not replaced: one that another save has made since then is
// backed up first, in the next round.
DWORD BackUpAndReplace(const std::wstring& path, OwnTemporaryFile& replacement,
                       void (*beforeReplace)()) {
    const BackupOutcome backup = KeepBackupOf(path);
    if (backup.error != ERROR_SUCCESS) return backup.error;
    if (beforeReplace != nullptr) beforeReplace();
    return replacement.MoveTo(path, backup.ruleFileExisted ? MOVEFILE_REPLACE_EXISTING : 0);
}

// Another save or load that has the rule file open (an open file cannot be replaced), or
// another save that has just created it, is done in a moment.
bool MayPassSoon(DWORD error) {
    return IsNameTaken(error) || error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

// The new contents go to a file of this save's own in the same folder first, and the rule
// file is replaced by renaming it: the folder always holds a whole rule file, a failure at
// any step leaves the old one as it was, and success means these bytes went in.
DWORD ReplaceFileContents(const std::wstring& path, std::span<const unsigned char> bytes,
                          void (*beforeReplace)()) {
    if (const DWORD refusal = CheckReplaceable(path); refusal != ERROR_SUCCESS) return refusal;
    OwnTemporaryFile replacement(path, bytes);
    if (replacement.error() != ERROR_SUCCESS) return replacement.error();
    DWORD error = BackUpAndReplace(path, replacement, beforeReplace);
    for (unsigned round = 1; round < kReplaceRounds && MayPassSoon(error); ++round) {
        Sleep(kPauseBetweenRoundsMs);
        error = BackUpAndReplace(path, replacement, beforeReplace);
    }
    return error;
}

RuleFileSaveResult SaveTo(const std::wstring& path, const RuleTable& table,
                          void (*beforeReplace)()) {
    const std::string bytes = EncodeRuleFile(table);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    return {path, ReplaceFileContents(path, {data, bytes.size()}, beforeReplace)};
}

}  // namespace

std::wstring GetModuleDir() {
    return FolderOf(ModuleFileName(ModuleContaining(&moduleAnchor)));
}

std::wstring RuleFilePath(std::wstring_view baseName) {
    return GetModuleDir() + L"\\" + std::wstring(baseName) + L".def";
}

std::wstring BackupPathOf(std::wstring_view path) {
    return std::wstring(path) + L".bak";
}

std::wstring TemporaryPathCandidate(std::wstring_view path, unsigned attempt) {
    return std::wstring(path) + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(attempt) + L".tmp";
}

RuleFileLoadResult LoadRuleFile(RuleTable& table) {
    return LoadRuleFileFrom(RuleFilePath(kRuleFileBaseName), table);
}

RuleFileLoadResult LoadRuleFileFrom(const std::wstring& path, RuleTable& table) {
    table.Clear();
    RuleFileLoadResult result;
    result.path = path;
    Bytes bytes;
    result.error = ReadWholeFile(path, kShareNothing, bytes);
    if (result.succeeded()) result.lines = DecodeRuleFile(bytes, table, SystemCodePageDecoder());
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

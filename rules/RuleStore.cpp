#include "rules/RuleStore.h"

#include <cstdio>
#include <optional>
#include <string>

#include "platform/TextEncoding.h"

namespace {

// A name is taken by this save's other file, or by another save only by chance (a reused
// process id, another machine on a shared folder), so a few attempts find a free one.
constexpr unsigned kNameAttempts = 100;
// Rounds of backup and replace while other programs are in the way, and the pause between
// them: a rule file held open for longer fails the save within a fifth of a second.
constexpr unsigned kReplaceRounds = 10;
constexpr unsigned kPauseBetweenRoundsMs = 20;

std::span<const unsigned char> AsBytes(std::string_view text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

FilePath Ascii(const std::string& text) {
    return FilePath(text.begin(), text.end());
}

FilePath TemporaryPathOf(const FilePath& path, const std::u16string& processTag, unsigned attempt) {
    return path + u"." + processTag + u"-" + Ascii(std::to_string(attempt)) + u".tmp";
}

// The store's own judgements need no legacy text: a file in a legacy code page is always
// kept for good, since the module writes it back as UTF-16.
std::u16string NoLegacyText(std::span<const unsigned char> /*bytes*/) {
    return {};
}

// The text decodes to exactly what the bytes say: a writer of the same encoding would give
// the same bytes back.
bool DecodesExactly(std::span<const unsigned char> bytes, const RuleFileText& decoded) {
    switch (decoded.encoding) {
        case RuleFileEncoding::Utf8:
        case RuleFileEncoding::Utf8WithMark: {
            const size_t mark = decoded.encoding == RuleFileEncoding::Utf8WithMark ? 3 : 0;
            const std::string_view body(reinterpret_cast<const char*>(bytes.data()) + mark,
                                        bytes.size() - mark);
            return Utf8FromUtf16(decoded.text, SurrogateForm::Replaced) == body;
        }
        case RuleFileEncoding::Utf16LeWithMark:
        case RuleFileEncoding::Utf16BeWithMark:
        case RuleFileEncoding::Utf16LeWithoutMark:
            return bytes.size() % 2 == 0;
        case RuleFileEncoding::LegacyCodePage:
            return false;
    }
    return false;
}

// A file of this save's own beside `besidePath`, holding the given bytes; removed again
// unless it has been renamed into place.
class OwnFile {
public:
    OwnFile(FilePort& port, const FilePath& besidePath, std::string_view bytes) : port_(port) {
        const std::u16string tag = port.ProcessTag();
        for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
            const FilePath candidate = TemporaryPathOf(besidePath, tag, attempt);
            status_ = port.CreateNew(candidate, bytes, besidePath);
            if (status_.fault == FileFault::NameTaken) continue;
            if (status_.ok()) path_ = candidate;
            return;
        }
    }
    ~OwnFile() {
        if (!path_.empty()) port_.Remove(path_);
    }
    OwnFile(const OwnFile&) = delete;
    OwnFile& operator=(const OwnFile&) = delete;

    const FileStatus& status() const { return status_; }

    // Afterwards the file is no longer this save's to remove.
    FileStatus MoveTo(const FilePath& target, bool replace) {
        const FileStatus moved = port_.Rename(path_, target, replace);
        if (moved.ok()) path_.clear();
        return moved;
    }

private:
    FilePort& port_;
    FilePath path_;  // empty while no file is ours
    FileStatus status_;
};

struct StepFailure {
    FileStatus status;
    SaveStep step = SaveStep::None;
    FilePath path;
};

// What a rule file's save checks and keeps beyond writing the bytes.
struct RuleFileGuard {
    const SaveOptions& options;
    const RuleTable& table;
};

class Saver {
public:
    // Writes through links: `given` names the file, or a link to it.
    Saver(FilePort& port, const FilePath& given, const RuleFileGuard* guard = nullptr)
        : port_(port), given_(given), target_(port.FollowLinks(given)), guard_(guard) {}

    FileSave Run(std::string_view bytes, bool withBackup) {
        FileSave result;
        result.path = target_;
        if (auto refusal = CheckReplaceable(withBackup)) return Failed(result, *refusal);
        OwnFile replacement(port_, target_, bytes);
        if (!replacement.status().ok()) {
            return Failed(result, {replacement.status(), SaveStep::WriteNew, target_});
        }
        std::optional<StepFailure> failure = ReplaceOnce(replacement, withBackup, result);
        for (unsigned round = 1; round < kReplaceRounds && failure && MayPassSoon(*failure);
             ++round) {
            port_.Pause(kPauseBetweenRoundsMs);
            failure = ReplaceOnce(replacement, withBackup, result);
        }
        return failure ? Failed(result, *failure) : result;
    }

private:
    static FileSave Failed(FileSave& result, const StepFailure& failure) {
        result.status = failure.status;
        result.failedStep = failure.step;
        result.failedPath = failure.path;
        result.backupKept = false;
        result.keptCopy.clear();
        return result;
    }

    // Another save or load that has the file open, or another save that has just created
    // it, is done in a moment.
    static bool MayPassSoon(const StepFailure& failure) {
        const FileFault fault = failure.status.fault;
        return fault == FileFault::NameTaken || fault == FileFault::InUse ||
               fault == FileFault::Denied;
    }

    std::optional<StepFailure> Refusal(const FilePath& path, SaveStep step) const {
        switch (port_.KindOf(path)) {
            case FileKind::ReadOnlyFile:
            case FileKind::Folder:
                return StepFailure{{FileFault::Denied, port_.DeniedCode()}, step, path};
            case FileKind::Special:
                return StepFailure{{FileFault::NotAFile, 0}, step, path};
            case FileKind::LinkLoop:
                return StepFailure{{FileFault::LinkLoop, 0}, step, path};
            case FileKind::Missing:
            case FileKind::File:
                break;
        }
        return std::nullopt;
    }

    // A read-only file (or a folder of its name) is never replaced, whatever the system's
    // rename would do, and neither is a read-only backup; nor is a device, a FIFO or a socket,
    // or a link that leads in a circle. The name as given is looked at too: a link the system
    // resolves by itself (/dev/stdout) leads where following it by hand does not.
    std::optional<StepFailure> CheckReplaceable(bool withBackup) const {
        if (auto refusal = Refusal(given_, SaveStep::CheckTarget)) return refusal;
        if (auto refusal = Refusal(target_, SaveStep::CheckTarget)) return refusal;
        if (withBackup) return Refusal(BackupPathOf(target_), SaveStep::CheckBackup);
        return std::nullopt;
    }

    // A file found missing is not replaced: one that another save has made since then is
    // backed up first, in the next round.
    std::optional<StepFailure> ReplaceOnce(OwnFile& replacement, bool withBackup,
                                           FileSave& result) {
        result.backupKept = false;
        result.keptCopy.clear();
        // Nothing of a file replaced without a backup or an expectation is needed.
        if (!withBackup && !Expects()) return Replace(replacement, true);
        std::string old;
        const FileStatus read = port_.ReadAll(target_, ReadSharing::WithSaves, old);
        if (read.fault != FileFault::NotFound && !read.ok()) {
            return StepFailure{read, SaveStep::ReadOld, target_};
        }
        FileContents found{read.ok(), std::move(old)};
        if (!MayReplaceFound(found)) {
            result.found = std::move(found);
            return StepFailure{{FileFault::Other, 0}, SaveStep::CheckFound, target_};
        }
        if (!found.exists) return Replace(replacement, false);
        if (!withBackup) return Replace(replacement, true);
        const std::string& oldBytes = found.bytes;

        OwnFile backup(port_, target_, oldBytes);
        if (!backup.status().ok()) {
            return StepFailure{backup.status(), SaveStep::WriteBackup, BackupPathOf(target_)};
        }
        std::optional<KeptCopy> kept;
        if (MustKeep(oldBytes)) {
            kept.emplace(port_, target_, oldBytes);
            if (!kept->status().ok()) {
                return StepFailure{kept->status(), SaveStep::KeepCopy, kept->path()};
            }
        }
        const FileStatus backedUp = backup.MoveTo(BackupPathOf(target_), true);
        if (!backedUp.ok()) {
            return StepFailure{backedUp, SaveStep::WriteBackup, BackupPathOf(target_)};
        }
        if (auto changed = ChangedSince(found, result)) return changed;
        if (auto failure = Replace(replacement, true)) return failure;
        result.backupKept = true;
        if (kept) result.keptCopy = kept->Keep();
        return std::nullopt;
    }

    bool Expects() const { return guard_ && guard_->options.expected; }

    bool MayReplaceFound(const FileContents& found) const {
        return !Expects() || MayReplace(*guard_->options.expected, found);
    }

    // Writing the backup and the kept copy takes a few file operations, flushes among them:
    // a file that must be as expected is read once more right before the rename, which
    // leaves only the span of that read and the rename unchecked.
    std::optional<StepFailure> ChangedSince(const FileContents& found, FileSave& result) {
        if (!Expects()) return std::nullopt;
        std::string bytes;
        const FileStatus read = port_.ReadAll(target_, ReadSharing::WithSaves, bytes);
        if (read.fault != FileFault::NotFound && !read.ok()) {
            return StepFailure{read, SaveStep::ReadOld, target_};
        }
        FileContents current{read.ok(), std::move(bytes)};
        if (MayReplace(found, current)) return std::nullopt;
        result.found = std::move(current);
        return StepFailure{{FileFault::Other, 0}, SaveStep::CheckFound, target_};
    }

    bool MustKeep(const std::string& oldBytes) const {
        if (HoldsLinesNotCarried(AsBytes(oldBytes))) return true;
        return guard_ && guard_->options.keepRulesNotInTable &&
               HoldsRulesNotIn(AsBytes(oldBytes), guard_->table);
    }

    std::optional<StepFailure> Replace(OwnFile& replacement, bool replace) {
        const FileStatus moved = replacement.MoveTo(target_, replace);
        if (moved.ok()) return std::nullopt;
        return StepFailure{moved, SaveStep::Replace, target_};
    }

    // The replaced file under a name of its own that no later save reuses: a rename that
    // never replaces takes the first free name. Removed again unless the save succeeds.
    class KeptCopy {
    public:
        KeptCopy(FilePort& port, const FilePath& target, std::string_view bytes)
            : port_(port), copy_(port, target, bytes), status_(copy_.status()), path_(target) {
            if (!status_.ok()) return;
            const LocalTime now = port.Now();
            for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
                path_ = KeptCopyPathOf(target, now, attempt);
                status_ = copy_.MoveTo(path_, false);
                if (status_.fault != FileFault::NameTaken) break;
            }
            placed_ = status_.ok();
        }
        ~KeptCopy() {
            if (placed_ && !kept_) port_.Remove(path_);
        }
        KeptCopy(const KeptCopy&) = delete;
        KeptCopy& operator=(const KeptCopy&) = delete;

        const FileStatus& status() const { return status_; }
        const FilePath& path() const { return path_; }
        FilePath Keep() {
            kept_ = true;
            return path_;
        }

    private:
        FilePort& port_;
        OwnFile copy_;
        FileStatus status_;
        FilePath path_;
        bool placed_ = false;
        bool kept_ = false;
    };

    FilePort& port_;
    FilePath given_;
    FilePath target_;
    const RuleFileGuard* guard_;
};

}  // namespace

FilePath BackupPathOf(const FilePath& path) {
    return path + u".bak";
}

FilePath KeptCopyPathOf(const FilePath& path, const LocalTime& time, unsigned attempt) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    FilePath name = path + u"." + Ascii(stamp);
    if (attempt > 0) name += u"-" + Ascii(std::to_string(attempt + 1));
    return name + u".bak";
}

bool HoldsLinesNotCarried(std::span<const unsigned char> bytes) {
    const RuleFileText decoded = DecodeRuleFileText(bytes, NoLegacyText);
    if (!DecodesExactly(bytes, decoded)) return true;
    int32_t rules = 0;
    for (const std::u16string_view line : SplitRuleFileLines(decoded.text)) {
        if (!RuleFromLine(line)) return true;
        if (++rules > RuleTable::kCapacity) return true;
    }
    return false;
}

bool HoldsRulesNotIn(std::span<const unsigned char> bytes, const RuleTable& table) {
    RuleTable held;
    DecodeRuleFile(bytes, held, NoLegacyText);
    for (int32_t n = 1; n <= held.count(); ++n) {
        bool found = false;
        for (int32_t m = 1; m <= table.count() && !found; ++m)
            found = table.rule(m) == held.rule(n);
        if (!found) return true;
    }
    return false;
}

bool MayReplace(const FileContents& expected, const FileContents& found) {
    return !found.exists || found == expected;
}

RuleFileLoad RuleStore::Load(RuleTable& table, const LegacyTextDecoder& legacy) const {
    table.Clear();
    RuleFileLoad result;
    result.path = path_;
    result.status = port_.ReadAll(path_, ReadSharing::Exclusive, result.bytes);
    if (result.succeeded()) result.lines = DecodeRuleFile(AsBytes(result.bytes), table, legacy);
    return result;
}

FileSave RuleStore::Save(const RuleTable& table, const SaveOptions& options) const {
    const RuleFileGuard guard{options, table};
    Saver saver(port_, path_, &guard);
    FileSave result = saver.Run(EncodeRuleFile(table), true);
    result.path = path_;
    return result;
}

FileSave WriteFileAtomically(FilePort& port, const FilePath& path, std::string_view bytes) {
    Saver saver(port, path);
    FileSave result = saver.Run(bytes, false);
    result.path = path;
    return result;
}

#include "rules/RuleStore.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"
#include "rules/RuleLines.h"

namespace {

std::span<const unsigned char> AsBytes(std::string_view text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

FilePath Ascii(const std::string& text) {
    return FilePath(text.begin(), text.end());
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
        case RuleFileEncoding::Utf16BeWithoutMark:
            return bytes.size() % 2 == 0;
        case RuleFileEncoding::LegacyCodePage:
            return false;
    }
    return false;
}

struct StepFailure {
    FileStatus status;
    SaveStep step = SaveStep::None;
    FilePath path;
};

// The rule file's policy over the atomic write: the file that holds the bytes already is
// left alone; the file replaced is backed up, kept for good when it holds what the table does
// not carry, and replaced only when it is what the save expects.
class RuleFileSaver {
public:
    // Writes through links: `given` names the file, or a link to it.
    RuleFileSaver(FilePort& port, const FilePath& given, const SaveOptions& options,
                  const RuleTable& table)
        : port_(port),
          given_(given),
          target_(port.FollowLinks(given)),
          options_(options),
          table_(table) {}

    FileSave Run(std::string_view bytes) {
        FileSave result;
        result.path = target_;
        if (HoldsAlready(bytes)) {
            result.unchanged = true;
            return result;
        }
        if (auto refusal = CheckReplaceable()) return Failed(result, *refusal);
        OwnFile replacement(port_, target_, bytes);
        if (!replacement.status().ok()) {
            return Failed(result, {replacement.status(), SaveStep::WriteNew, target_});
        }
        std::optional<StepFailure> failure = ReplaceOnce(replacement, result);
        for (unsigned round = 1;
             round < kBusyRounds && failure && MayPassSoon(failure->status.fault); ++round) {
            port_.Pause(kPauseBetweenBusyRoundsMs);
            failure = ReplaceOnce(replacement, result);
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

    // A rule file that holds the bytes already is left alone, and so is its backup. Anything
    // that is no regular file is not read first: reading a device or a pipe may never end,
    // and such a target is refused anyway.
    bool HoldsAlready(std::string_view bytes) const {
        if (!IsRegularFile(given_) || !IsRegularFile(target_)) return false;
        std::string current;
        return port_.ReadAll(target_, ReadSharing::WithSaves, current).ok() && current == bytes;
    }

    bool IsRegularFile(const FilePath& path) const {
        const FileKind kind = port_.KindOf(path);
        return kind == FileKind::File || kind == FileKind::ReadOnlyFile;
    }

    std::optional<StepFailure> Refusal(const FilePath& path, SaveStep step) const {
        if (auto refusal = ReplaceRefusal(port_, path)) return StepFailure{*refusal, step, path};
        return std::nullopt;
    }

    // A read-only file (or a folder of its name) is never replaced, whatever the system's
    // rename would do, and neither is a read-only backup; nor is a device, a FIFO or a socket,
    // or a link that leads in a circle. The name as given is looked at too: a link the system
    // resolves by itself (/dev/stdout) leads where following it by hand does not.
    std::optional<StepFailure> CheckReplaceable() const {
        if (auto refusal = Refusal(given_, SaveStep::CheckTarget)) return refusal;
        if (auto refusal = Refusal(target_, SaveStep::CheckTarget)) return refusal;
        return Refusal(BackupPathOf(target_), SaveStep::CheckBackup);
    }

    // A file found missing is not replaced: one that another save has made since then is
    // backed up first, in the next round.
    std::optional<StepFailure> ReplaceOnce(OwnFile& replacement, FileSave& result) {
        result.backupKept = false;
        result.keptCopy.clear();
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

    bool Expects() const { return options_.expected != nullptr; }

    bool MayReplaceFound(const FileContents& found) const {
        return !Expects() || MayReplace(*options_.expected, found);
    }

    // Writing the backup and the kept copy takes a few file operations, flushes among them:
    // the file is read once more right before the rename, which leaves only the span of that
    // read and the rename unchecked. A file that must be as expected is asked about; without
    // an expectation, a file another writer saved meanwhile is backed up in the next round,
    // so that the backup is still the file replaced.
    std::optional<StepFailure> ChangedSince(const FileContents& found, FileSave& result) {
        std::string bytes;
        const FileStatus read = port_.ReadAll(target_, ReadSharing::WithSaves, bytes);
        if (read.fault != FileFault::NotFound && !read.ok()) {
            return StepFailure{read, SaveStep::ReadOld, target_};
        }
        FileContents current{read.ok(), std::move(bytes)};
        if (MayReplace(found, current)) return std::nullopt;
        if (!Expects()) return StepFailure{{FileFault::InUse, 0}, SaveStep::Replace, target_};
        result.found = std::move(current);
        return StepFailure{{FileFault::Other, 0}, SaveStep::CheckFound, target_};
    }

    bool MustKeep(const std::string& oldBytes) const {
        if (options_.keepReplacedForGood) return true;
        if (HoldsLinesNotCarried(AsBytes(oldBytes))) return true;
        return options_.keepRulesNotInTable && HoldsRulesNotIn(AsBytes(oldBytes), table_);
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
            for (unsigned attempt = 0; attempt < kFreeNameAttempts; ++attempt) {
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
    const SaveOptions& options_;
    const RuleTable& table_;
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

namespace {

// The stamp and the attempt of a kept copy's name, "<yyyymmdd-hhmmss>[-<n>]", as one key that
// sorts by both; nothing for any other name.
std::optional<std::pair<std::u16string_view, unsigned>> KeptCopyKey(std::u16string_view name) {
    constexpr std::u16string_view kPattern = u"00000000-000000";
    if (name.size() < kPattern.size()) return std::nullopt;
    for (size_t i = 0; i < kPattern.size(); ++i) {
        const bool digit = name[i] >= u'0' && name[i] <= u'9';
        if (kPattern[i] == u'-' ? name[i] != u'-' : !digit) return std::nullopt;
    }
    const std::u16string_view stamp = name.substr(0, kPattern.size());
    std::u16string_view rest = name.substr(kPattern.size());
    if (rest.empty()) return std::pair(stamp, 1u);
    if (rest.size() < 2 || rest.size() > 6 || rest[0] != u'-' || rest[1] == u'0') {
        return std::nullopt;
    }
    unsigned attempt = 0;
    for (const char16_t c : rest.substr(1)) {
        if (c < u'0' || c > u'9') return std::nullopt;
        attempt = attempt * 10 + static_cast<unsigned>(c - u'0');
    }
    if (attempt < 2) return std::nullopt;
    return std::pair(stamp, attempt);
}

}  // namespace

std::vector<FilePath> KeptCopiesOf(FilePort& files, const FilePath& folder, const FilePath& path) {
    std::vector<FilePath> entries;
    // A listing cut short still names kept copies.
    (void)files.ListFolder(folder, entries);
    const FilePath prefix = path + u".";
    constexpr std::u16string_view kSuffix = u".bak";
    std::vector<std::pair<std::pair<std::u16string_view, unsigned>, const FilePath*>> kept;
    for (const FilePath& entry : entries) {
        if (!entry.starts_with(prefix) || !entry.ends_with(kSuffix)) continue;
        const std::u16string_view name = std::u16string_view(entry).substr(
            prefix.size(), entry.size() - prefix.size() - kSuffix.size());
        if (auto key = KeptCopyKey(name)) kept.emplace_back(*key, &entry);
    }
    std::ranges::sort(kept, std::greater<>{}, [](const auto& copy) { return copy.first; });
    std::vector<FilePath> newestFirst;
    for (const auto& copy : kept) newestFirst.push_back(*copy.second);
    return newestFirst;
}

bool HoldsLinesNotCarried(std::span<const unsigned char> bytes) {
    const RuleFileText decoded = DecodeRuleFileText(bytes, NoLegacyText);
    if (!DecodesExactly(bytes, decoded)) return true;
    RuleLineReader reader(decoded.text);
    for (RuleLine line; reader.Next(line);) {
        if (IsDroppedBySave(line.kind)) return true;
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

FileAtLoad FileAtLoad::Of(const RuleFileLoad& load) {
    if (load.succeeded()) return {State::Read, load.bytes};
    if (load.status.fault == FileFault::NotFound) return {State::Missing, {}};
    return {State::Unreadable, {}};
}

SaveOptions SaveAfterLoad(const FileAtLoad& atLoad, FileContents& expected) {
    // A file the load could not read is not expected: the save finds it and asks.
    expected =
        atLoad.state == FileAtLoad::State::Read ? FileContents{true, atLoad.bytes} : FileContents{};
    return {&expected};
}

SaveOptions SaveReplacing(const FileAtLoad& atLoad, const FileContents& found) {
    return {&found, true, atLoad.unreadable()};
}

RuleFileLoad RuleStore::Load(RuleTable& table, const LegacyTextDecoder& legacy) const {
    table.Clear();
    RuleFileLoad result;
    result.path = path_;
    for (unsigned round = 1;; ++round) {
        result.status = port_.ReadAll(path_, ReadSharing::WithWriters, result.bytes);
        if (result.succeeded() || !MayPassSoon(result.status.fault) || round == kBusyRounds) {
            break;
        }
        port_.Pause(kPauseBetweenBusyRoundsMs);
    }
    if (result.succeeded()) result.lines = DecodeRuleFile(AsBytes(result.bytes), table, legacy);
    return result;
}

FileSave RuleStore::Save(const RuleTable& table, const SaveOptions& options) const {
    RuleFileSaver saver(port_, path_, options, table);
    FileSave result = saver.Run(EncodeRuleFile(table));
    result.path = path_;
    return result;
}

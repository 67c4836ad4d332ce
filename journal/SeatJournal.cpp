#include "journal/SeatJournal.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "journal/JournalReader.h"
#include "journal/RuleTables.h"
#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"

namespace {

constexpr size_t kCopyBytes = size_t{1} << 20;

// One begin-to-end run of rows in a file: an act, or one part of a long one.
struct Unit {
    std::string key;  // "<act id>/<part>"
    JournalAct act;
    FilePath file;
    uint64_t begin = 0;   // offset of the begin row
    uint64_t endRow = 0;  // offset of the end row
    uint64_t rows = 0;    // with the begin and end rows
    uint32_t part = 1;
};

std::u16string_view FolderOf(std::u16string_view path) {
    const size_t separator = path.find_last_of(u"\\/");
    return separator == std::u16string_view::npos ? std::u16string_view()
                                                  : path.substr(0, separator + 1);
}

std::u16string_view NameOf(std::u16string_view path) {
    return path.substr(FolderOf(path).size());
}

std::string KeyOf(const JournalLine& begin) {
    return begin.act.actId + '/' + std::to_string(begin.summary.part);
}

// A journal's files as one look at them found them; `whole` false when a folder could not be
// listed or a file that is there could not be read, so that an act not found may still be there.
struct JournalSources {
    std::vector<FilePath> files;
    bool whole = true;
};

// The complete units of the acts `wanted` names (every act when it is empty), in file order.
// A file that is there but cannot be read, or not to its end, makes `sources` not whole.
std::vector<Unit> UnitsIn(FilePort& port, const FilePath& path, const std::set<std::string>& wanted,
                          JournalSources* sources = nullptr) {
    std::vector<Unit> units;
    std::unique_ptr<ReadStream> stream;
    if (const FileStatus opened = port.OpenToRead(path, ReadSharing::WithWriters, stream);
        !opened.ok()) {
        if (sources && opened.fault != FileFault::NotFound) sources->whole = false;
        return units;
    }
    JournalLines lines(std::move(stream));
    const auto readToTheEnd = [&] {
        if (sources && !lines.status().ok()) sources->whole = false;
    };
    JournalLines::Line line;
    if (!lines.Next(line) || JournalVersionOf(line.text) != JournalVersion::Acts) {
        readToTheEnd();
        return units;
    }
    std::optional<Unit> open;
    while (lines.Next(line)) {
        if (!line.ended || line.tooLong) continue;
        const std::string id(ActIdOfLine(line.text));
        if (id.empty() || (!wanted.empty() && !wanted.contains(id))) {
            if (open) open.reset();  // another act's row: the open one was cut
            continue;
        }
        JournalLine parsed;
        JournalProblem problem;
        if (!ParseJournalLine(line.text, JournalVersion::Acts, parsed, problem)) continue;
        if (parsed.kind == JournalLine::Kind::Begin) {
            open = Unit{KeyOf(parsed), parsed.act, path, line.offset, 0, 1, parsed.summary.part};
        } else if (open && parsed.act.actId == open->act.actId) {
            ++open->rows;
            if (parsed.kind == JournalLine::Kind::End) {
                open->endRow = line.offset;
                units.push_back(std::move(*open));
                open.reset();
            }
        }
    }
    readToTheEnd();
    return units;
}

// Copies the unit's rows from its file, with an end row that counts the target's rows.
FileStatus CopyUnit(FilePort& port, const FilePath& target, const Unit& unit,
                    const JournalLimits& limits) {
    JournalUnit copy;
    copy.act = unit.act;
    copy.rows = unit.rows;
    copy.mostBytes = unit.endRow - unit.begin + 1024;
    copy.write = [&](JournalRowWriter& out, uint64_t rowsBefore) {
        std::unique_ptr<ReadStream> stream;
        if (!port.OpenToRead(unit.file, ReadSharing::WithWriters, stream).ok() ||
            !stream->Skip(unit.begin).ok()) {
            return false;
        }
        std::string chunk(kCopyBytes, '\0');
        for (uint64_t left = unit.endRow - unit.begin; left > 0;) {
            const auto want = static_cast<size_t>(std::min<uint64_t>(left, kCopyBytes));
            size_t got = 0;
            if (!stream->Read(chunk.data(), want, got).ok() || got == 0) return false;
            out.Raw(std::string_view(chunk).substr(0, got));
            left -= got;
        }
        out.End(rowsBefore + unit.rows);
        return true;
    };
    return AppendJournalUnit(port, target, copy, limits);
}

// The table a copied act names, from beside its journal to beside the target.
void CopyTable(FilePort& port, const Unit& unit, const FilePath& target) {
    const std::string& sha = unit.act.ruleFileSha256;
    if (KeptRuleTable(port, target, sha)) return;
    if (const std::optional<std::string> bytes = KeptRuleTable(port, unit.file, sha)) {
        KeepRuleTable(port, target, sha, *bytes);
    }
}

// The journals rolled over from `path` ("<stem>-<yyyymmdd-hhmmss>[-n].csv" beside it), newest
// first.
std::vector<FilePath> RolledOverFrom(FilePort& port, const FilePath& path,
                                     JournalSources* sources = nullptr) {
    std::vector<FilePath> listed;
    const std::u16string folder(FolderOf(path));
    std::u16string stem(NameOf(path));
    if (stem.ends_with(u".csv")) stem.resize(stem.size() - 4);
    if (!port.ListFolder(folder.empty() ? u"." : folder.substr(0, folder.size() - 1), listed)
             .ok()) {
        if (sources) sources->whole = false;
        return {};
    }
    std::erase_if(listed,
                  [&](const FilePath& file) { return !IsRolledJournalName(NameOf(file), stem); });
    std::ranges::sort(listed, std::greater<>());
    return listed;
}

// The own journal and the ones rolled over from it, newest first.
JournalSources OwnJournalFiles(FilePort& port, const FilePath& own) {
    JournalSources sources{{own}};
    const std::vector<FilePath> rolled = RolledOverFrom(port, own, &sources);
    sources.files.insert(sources.files.end(), rolled.begin(), rolled.end());
    return sources;
}

// A file last written this long before an act was made cannot hold it: the margin is for the
// clocks of a seat and of the server that holds the file.
constexpr int64_t kClockMarginSeconds = 24 * 60 * 60;

// Appends to `target` every unit of `sources` whose act `wanted` names (in that order) and
// that neither the target nor a file rolled over from it holds (the target may have rolled over
// after such a unit reached it, before it was known to have). Ok when nothing is left behind;
// `settled` then holds the acts the target holds now, and those the sources do not hold
// although every file of them was read (gone with files taken away).
FileStatus Deliver(FilePort& port, const FilePath& target, const std::vector<std::string>& wanted,
                   JournalSources sources, const JournalLimits& limits,
                   std::set<std::string>* settled = nullptr) {
    if (wanted.empty()) return {};
    const std::set<std::string> ids(wanted.begin(), wanted.end());
    std::map<std::string, std::vector<Unit>> byId;
    std::set<std::string> seen;
    int64_t oldest = INT64_MAX;  // the time of the oldest act found, in seconds
    for (const FilePath& source : sources.files) {
        for (Unit& unit : UnitsIn(port, source, ids, &sources)) {
            if (!seen.insert(unit.key).second) continue;
            oldest = std::min(oldest, unit.act.time.utcMilliseconds / 1000);
            byId[unit.act.actId].push_back(std::move(unit));
        }
    }
    if (settled) {
        for (const std::string& id : wanted) {
            if (sources.whole || byId.contains(id)) settled->insert(id);
        }
    }
    if (byId.empty()) return {};
    std::set<std::string> there;
    std::vector<FilePath> targetFiles{target};
    for (const FilePath& rolled : RolledOverFrom(port, target)) {
        const std::optional<FileInfo> info = port.InfoOf(rolled);
        if (!info || info->modified >= oldest - kClockMarginSeconds) targetFiles.push_back(rolled);
    }
    for (const FilePath& file : targetFiles) {
        for (const Unit& unit : UnitsIn(port, file, ids)) there.insert(unit.key);
    }
    for (const std::string& id : wanted) {
        // The sources are read newest first: an act's parts, each in a file of its own, are
        // found out of their order.
        std::vector<Unit>& units = byId[id];
        std::ranges::stable_sort(units, {}, &Unit::part);
        for (const Unit& unit : units) {
            if (!there.insert(unit.key).second) continue;
            if (FileStatus copied = CopyUnit(port, target, unit, limits); !copied.ok()) {
                return copied;
            }
            CopyTable(port, unit, target);
        }
    }
    return {};
}

struct Owed {
    std::string id;
    std::string target;  // UTF-8
};

// Nothing owed when there is no file; the status of the read otherwise.
FileStatus ReadOwed(FilePort& port, const FilePath& own, std::vector<Owed>& owed) {
    owed.clear();
    std::string bytes;
    const FileStatus read = port.ReadAll(OwedPathBeside(own), ReadSharing::WithWriters, bytes);
    if (!read.ok()) return read.fault == FileFault::NotFound ? FileStatus{} : read;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t end = std::min(bytes.find('\n', pos), bytes.size());
        std::string_view line(bytes.data() + pos, end - pos);
        pos = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        owed.push_back({std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))});
    }
    return {};
}

FileStatus WriteOwed(FilePort& port, const FilePath& own, const std::vector<Owed>& owed) {
    std::string bytes;
    for (const Owed& entry : owed) bytes += entry.id + '\t' + entry.target + "\r\n";
    if (bytes.empty()) {
        const FileStatus removed = port.Remove(OwedPathBeside(own));
        return removed.fault == FileFault::NotFound ? FileStatus{} : removed;
    }
    return WriteFileAtomically(port, OwedPathBeside(own), bytes).status;
}

FileStatus AddOwed(FilePort& port, const FilePath& own, const std::string& id,
                   const FilePath& shared) {
    const std::string line = id + '\t' + Utf8FromUtf16(shared, SurrogateForm::Replaced) + "\r\n";
    return port.AppendInPieces(OwedPathBeside(own), [&](AppendTarget& file) {
        // A line cut short (a full disk) is ended first, so that it cannot swallow this one.
        std::string last;
        if (file.size() > 0) {
            if (const FileStatus read = file.ReadAt(file.size() - 1, 1, last); !read.ok()) {
                return read;
            }
        }
        return file.Write(last.empty() || last == "\n" ? line : "\r\n" + line);
    });
}

// The pending files: the one that takes acts, and those a catch-up took and has not emptied.
std::vector<FilePath> PendingFiles(FilePort& port, const FilePath& own) {
    std::vector<FilePath> files;
    std::vector<FilePath> listed;
    const std::u16string folder(FolderOf(own));
    if (folder.empty() || !port.ListFolder(folder.substr(0, folder.size() - 1), listed).ok()) {
        return files;
    }
    for (const FilePath& path : listed) {
        if (NameOf(path).starts_with(u"journal.pending")) files.push_back(path);
    }
    std::ranges::sort(files);
    return files;
}

// The pending acts into the own journal; a pending file is first renamed, so that an act
// added to it meanwhile starts a new one instead of being removed with it.
FileStatus DrainPending(FilePort& port, const FilePath& own, const JournalLimits& limits) {
    const FilePath pending = PendingPathBeside(own);
    if (port.KindOf(pending) == FileKind::File) {
        // Named so that they sort in the order they were taken.
        for (int n = 1; n < 1000; ++n) {
            const std::string number = std::to_string(1000 + n).substr(1);
            const FilePath taken = std::u16string(FolderOf(own)) + u"journal.pending-" +
                                   std::u16string(number.begin(), number.end()) + u"-" +
                                   port.ProcessTag() + u".taken";
            if (port.Rename(pending, taken, false).fault != FileFault::NameTaken) break;
        }
    }
    for (const FilePath& file : PendingFiles(port, own)) {
        if (file == pending) continue;  // still being added to
        JournalSources taken{{file}};
        std::vector<std::string> all;
        for (const Unit& unit : UnitsIn(port, file, {}, &taken)) {
            if (all.empty() || all.back() != unit.act.actId) all.push_back(unit.act.actId);
        }
        if (!taken.whole) continue;  // kept for the next time
        if (FileStatus delivered = Deliver(port, own, all, taken, limits); !delivered.ok()) {
            return delivered;
        }
        port.Remove(file);
    }
    return {};
}

FileStatus CatchUpShared(FilePort& port, const SeatJournals& journals,
                         const JournalLimits& limits) {
    // A list that cannot be read is taken as empty here; it is read again before it is
    // rewritten, so that nothing in it is dropped.
    std::vector<Owed> owed;
    (void)ReadOwed(port, journals.own, owed);
    const std::string target = Utf8FromUtf16(journals.shared, SurrogateForm::Replaced);
    std::vector<std::string> ids;
    for (const Owed& entry : owed) {
        if (entry.target == target) ids.push_back(entry.id);
    }
    if (ids.empty()) return {};
    if (FileStatus made = port.MakeFolder(journals.sharedFolder); !made.ok()) return made;
    JournalSources sources = OwnJournalFiles(port, journals.own);
    for (const FilePath& pending : PendingFiles(port, journals.own)) {
        sources.files.push_back(pending);
    }
    std::set<std::string> settled;
    if (FileStatus delivered =
            Deliver(port, journals.shared, ids, std::move(sources), limits, &settled);
        !delivered.ok()) {
        return delivered;
    }
    // Read again: another process of this user may have owed an act meanwhile. An act a file
    // that could not be read may hold stays owed.
    if (FileStatus read = ReadOwed(port, journals.own, owed); !read.ok()) return read;
    std::erase_if(owed, [&](const Owed& entry) {
        return entry.target == target && settled.contains(entry.id);
    });
    return WriteOwed(port, journals.own, owed);
}

}  // namespace

FilePath PendingPathBeside(const FilePath& ownJournal) {
    return std::u16string(FolderOf(ownJournal)) + u"journal.pending.csv";
}

FilePath OwedPathBeside(const FilePath& ownJournal) {
    return std::u16string(FolderOf(ownJournal)) + u"journal.owed";
}

std::vector<JournalMiss> RecordAct(FilePort& port, const SeatJournals& journals,
                                   const JournalAct& act, const JournalActRows& rows,
                                   const TableToKeep& table, const JournalLimits& limits) {
    std::vector<JournalMiss> misses;
    if (rows.count() == 0 && act.left.empty()) return misses;
    ActWaits waits = ActWaits::Lost;
    FilePath waitsIn;
    if (!journals.own.empty()) {
        DrainPending(port, journals.own, limits);
        const FileStatus own = AppendJournalAct(port, journals.own, act, rows, limits);
        if (own.ok()) {
            waits = ActWaits::InOwnJournal;
            waitsIn = journals.own;
            KeepRuleTable(port, journals.own, table.sha256, table.bytes);
        } else {
            const FilePath pending = PendingPathBeside(journals.own);
            // In the parts the own journal takes it in, in one file: a part that went in
            // before the own journal failed is then known there by its act id and part.
            JournalLimits oneFile = limits;
            oneFile.rollOver = false;
            const bool kept = AppendJournalAct(port, pending, act, rows, oneFile).ok();
            waits = kept ? ActWaits::InPending : ActWaits::Lost;
            waitsIn = kept ? pending : FilePath();
            misses.push_back({journals.own, own, waits, waitsIn});
        }
    }
    if (journals.shared.empty()) return misses;
    FileStatus shared = journals.sharedReachable ? port.MakeFolder(journals.sharedFolder)
                                                 : FileStatus{FileFault::NotFound, 0};
    if (shared.ok() && !journals.own.empty()) shared = CatchUpShared(port, journals, limits);
    // The acts owed come first: while they cannot go, this one waits behind them.
    if (shared.ok()) shared = AppendJournalAct(port, journals.shared, act, rows, limits);
    if (shared.ok()) {
        KeepRuleTable(port, journals.shared, table.sha256, table.bytes);
        return misses;
    }
    if (waits != ActWaits::Lost && AddOwed(port, journals.own, act.actId, journals.shared).ok()) {
        misses.push_back({journals.shared, shared, waits, waitsIn});
    } else {
        misses.push_back({journals.shared, shared, ActWaits::Lost, {}});
    }
    return misses;
}

FileStatus CatchUpJournals(FilePort& port, const SeatJournals& journals,
                           const JournalLimits& limits) {
    if (journals.own.empty()) return {};
    if (FileStatus drained = DrainPending(port, journals.own, limits); !drained.ok()) {
        return drained;
    }
    if (journals.shared.empty() || !journals.sharedReachable) return {};
    return CatchUpShared(port, journals, limits);
}

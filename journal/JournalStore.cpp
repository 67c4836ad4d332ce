#include "journal/JournalStore.h"

#include <algorithm>
#include <memory>

namespace {

constexpr size_t kHeadBytes = 4096;
constexpr size_t kTailBytes = 4096;
constexpr size_t kScanBytes = size_t{1} << 20;
constexpr int kMostRollsPerAppend = 3;

// What the file holds, as far as the next append must know.
struct FileState {
    bool fresh = false;  // nothing, or the byte-order mark alone
    bool markOnly = false;
    bool endsWithLine = true;  // false: its last row was cut short
    bool acts = false;         // its header is that of the acts format
    uint64_t rows = 0;         // after the header, a cut row counted as one
};

std::string_view FirstLine(std::string_view bytes) {
    return bytes.substr(0, std::min(bytes.find('\n'), bytes.size()));
}

// Counts the rows of a file whose last line does not tell them (a crash cut it short).
FileStatus CountRows(AppendTarget& file, FileState& state) {
    uint64_t lineEnds = 0;
    std::string chunk;
    for (uint64_t offset = 0; offset < file.size(); offset += kScanBytes) {
        if (FileStatus read = file.ReadAt(offset, kScanBytes, chunk); !read.ok()) return read;
        lineEnds += static_cast<uint64_t>(std::count(chunk.begin(), chunk.end(), '\n'));
    }
    state.rows = lineEnds - std::min<uint64_t>(lineEnds, 1) + (state.endsWithLine ? 0 : 1);
    return {};
}

FileStatus Inspect(AppendTarget& file, FileState& state) {
    state = {};
    const uint64_t size = file.size();
    std::string head;
    if (FileStatus read = file.ReadAt(0, kHeadBytes, head); !read.ok()) return read;
    if (size == 0 || (size == kJournalMark.size() && head == kJournalMark)) {
        state.fresh = true;
        state.markOnly = size > 0;
        return {};
    }
    const std::string_view header = FirstLine(head);
    state.acts = JournalVersionOf(header) == JournalVersion::Acts;
    if (!state.acts) return {};
    std::string tail;
    const uint64_t tailStart = size - std::min<uint64_t>(size, kTailBytes);
    if (FileStatus read = file.ReadAt(tailStart, kTailBytes, tail); !read.ok()) return read;
    state.endsWithLine = tail.ends_with('\n');
    if (size == header.size() + 1) return {};  // the header alone
    if (state.endsWithLine) {
        const std::string_view body(tail.data(), tail.size() - 1);
        const size_t lineStart = body.rfind('\n');
        if (lineStart != std::string_view::npos || tailStart == 0) {
            const std::string_view last =
                body.substr(lineStart == std::string_view::npos ? 0 : lineStart + 1);
            if (const auto rows = FileRowsOfEndLine(last)) {
                state.rows = *rows;
                return {};
            }
        }
    }
    return CountRows(file, state);
}

std::u16string_view FolderOf(std::u16string_view path) {
    const size_t separator = path.find_last_of(u"\\/");
    return separator == std::u16string_view::npos ? std::u16string_view()
                                                  : path.substr(0, separator + 1);
}

std::u16string_view StemOf(std::u16string_view path) {
    std::u16string_view name = path.substr(FolderOf(path).size());
    if (name.ends_with(u".csv")) name.remove_suffix(4);
    return name;
}

std::u16string Ascii16(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

// The local time of the file's first act, for the name it is rolled over to.
std::string FirstActTime(FilePort& port, const FilePath& path) {
    std::unique_ptr<ReadStream> stream;
    std::string head(kHeadBytes, '\0');
    size_t got = 0;
    if (port.OpenToRead(path, ReadSharing::WithWriters, stream).ok() &&
        stream->Read(head.data(), head.size(), got).ok()) {
        head.resize(got);
        const size_t lineEnd = head.find('\n');
        if (lineEnd != std::string::npos) {
            const std::string_view second = std::string_view(head).substr(lineEnd + 1);
            const auto time =
                ParseIsoTime(second.substr(0, std::min(second.find(','), second.size())));
            if (time && time->hasClock && time->offsetMinutes) {
                return FileNameTime(TimestampOfLocal(time->local, *time->offsetMinutes));
            }
        }
    }
    const LocalTime now = port.Now();
    return FileNameTime(
        TimestampOfLocal({now.year, now.month, now.day, now.hour, now.minute, now.second, 0}, 0));
}

}  // namespace

FileStatus RollJournalOver(FilePort& port, const FilePath& path) {
    const std::u16string base = std::u16string(FolderOf(path)) + std::u16string(StemOf(path)) +
                                u"-" + Ascii16(FirstActTime(port, path));
    FileStatus renamed;
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::u16string suffix = attempt == 1 ? u"" : u"-" + Ascii16(std::to_string(attempt));
        renamed = port.Rename(path, base + suffix + u".csv", false);
        if (renamed.fault != FileFault::NameTaken) return renamed;
    }
    return renamed;
}

bool IsRolledJournalName(std::u16string_view name, std::u16string_view stem) {
    // "<stem>-yyyymmdd-hhmmss[-n].csv"
    if (!name.starts_with(stem) || !name.ends_with(u".csv")) return false;
    name.remove_prefix(stem.size());
    name.remove_suffix(4);
    if (name.size() < 16 || name[0] != u'-' || name[9] != u'-') return false;
    for (size_t i = 1; i < name.size(); ++i) {
        if (i == 9 || (i == 16 && name[i] == u'-')) continue;
        if (name[i] < u'0' || name[i] > u'9') return false;
    }
    return name.size() == 16 || (name.size() > 17 && name[16] == u'-');
}

FileStatus AppendJournalUnit(FilePort& port, const FilePath& path, const JournalUnit& unit,
                             const JournalLimits& limits) {
    FileStatus status;
    size_t pause = 0;
    int rolls = 0;
    for (;;) {
        bool full = false;
        status = port.AppendInPieces(path, [&](AppendTarget& file) -> FileStatus {
            FileState state;
            if (FileStatus inspected = Inspect(file, state); !inspected.ok()) return inspected;
            if (!state.fresh && (!state.acts || (limits.rollOver &&
                                                 (state.rows + unit.rows > limits.rows ||
                                                  file.size() + unit.mostBytes > limits.bytes)))) {
                full = true;  // another format, or no room: rolled over first
                return {};
            }
            FileStatus written;
            JournalRowWriter out(unit.act, limits.bufferBytes, [&](std::string_view bytes) {
                written = file.Write(bytes);
                return written.ok();
            });
            if (state.fresh) {
                if (!state.markOnly) out.Raw(kJournalMark);
                out.Raw(std::string(kJournalHeader) + "\r\n");
            } else if (!state.endsWithLine) {
                out.Raw("\r\n");
            }
            const bool wrote = unit.write(out, state.rows);
            if (!out.Finish()) return written;
            return wrote ? FileStatus{} : FileStatus{FileFault::Other, 0};
        });
        if (status.ok() && full) {
            // Another writer may roll the file over first, or fill the new one at once.
            if (rolls++ == kMostRollsPerAppend) return {FileFault::InUse, 0};
            status = RollJournalOver(port, path);
            if (status.ok() || status.fault == FileFault::NotFound) continue;
        }
        if (status.fault != FileFault::InUse || pause >= std::size(kBusyPauses)) return status;
        port.Pause(kBusyPauses[pause++]);
    }
}

FileStatus AppendJournalAct(FilePort& port, const FilePath& path, const JournalAct& act,
                            const JournalActRows& rows, const JournalLimits& limits) {
    const uint64_t count = rows.count();
    if (count == 0 && act.left.empty()) return {};
    const JournalRowWriter probe(act, 0, nullptr);
    // A row's step fields take at most about this many bytes (hole, step, code as in drawings,
    // two shortest decimals, a few rules); the begin and end rows a few hundred with the path.
    const uint64_t rowBytes = probe.prefixBytes() + 96;
    const uint64_t actBytes = 1024 + act.ruleFile.size();
    const uint64_t perPart = std::max<uint64_t>(
        1, std::min(limits.rows - 2, (limits.bytes - std::min(limits.bytes, actBytes)) / rowBytes));
    // An act of no rows that left holes (an undo that restored none) is its begin and end row.
    const auto parts =
        std::max<uint32_t>(1, static_cast<uint32_t>((count + perPart - 1) / perPart));
    for (uint32_t part = 1; part <= parts; ++part) {
        const uint64_t from = (part - 1) * perPart;
        const uint64_t to = std::min(count, from + perPart);
        JournalUnit unit;
        unit.act = act;
        unit.rows = to - from + 2;
        unit.mostBytes = actBytes + (to - from) * rowBytes;
        unit.write = [&](JournalRowWriter& out, uint64_t rowsBefore) {
            JournalActSummary summary = rows.Summary(from, to);
            summary.part = part;
            summary.parts = parts;
            out.Begin(summary);
            rows.Write(from, to, out);
            out.End(rowsBefore + (to - from) + 2);
            return true;
        };
        if (FileStatus status = AppendJournalUnit(port, path, unit, limits); !status.ok()) {
            return status;
        }
    }
    return {};
}

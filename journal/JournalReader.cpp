#include "journal/JournalReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kReadBytes = size_t{1} << 20;

class Memory final : public ReadStream {
public:
    explicit Memory(std::string bytes) : bytes_(std::move(bytes)) {}
    FileStatus Read(char* buffer, size_t capacity, size_t& got) override {
        got = std::min(capacity, bytes_.size() - at_);
        std::memcpy(buffer, bytes_.data() + at_, got);
        at_ += got;
        return {};
    }
    FileStatus Skip(uint64_t count) override {
        at_ += static_cast<size_t>(std::min<uint64_t>(count, bytes_.size() - at_));
        return {};
    }

private:
    std::string bytes_;
    size_t at_ = 0;
};

}  // namespace

std::unique_ptr<ReadStream> MemoryStream(std::string bytes) {
    return std::make_unique<Memory>(std::move(bytes));
}

// ---- JournalLines --------------------------------------------------------------------------

JournalLines::JournalLines(std::unique_ptr<ReadStream> stream, size_t bufferBytes)
    : stream_(std::move(stream)), buffer_(std::max<size_t>(bufferBytes, 1), '\0') {}

bool JournalLines::Fill() {
    if (atEnd_) return false;
    size_t got = 0;
    status_ = stream_->Read(buffer_.data(), buffer_.size(), got);
    start_ = 0;
    end_ = got;
    if (!status_.ok() || got == 0) atEnd_ = true;
    return got > 0;
}

bool JournalLines::Next(Line& line) {
    line = {};
    long_.clear();
    bool tooLong = false;
    const uint64_t offset = consumed_;
    for (;;) {
        if (start_ == end_ && !Fill()) {
            if (long_.empty() && !tooLong) return false;
            line = {long_, ++number_, offset, false, tooLong};
            return true;
        }
        const char* begin = buffer_.data() + start_;
        const auto* found = static_cast<const char*>(std::memchr(begin, '\n', end_ - start_));
        const size_t length = found ? static_cast<size_t>(found - begin) : end_ - start_;
        const size_t taken = length + (found ? 1 : 0);
        consumed_ += taken;
        if (found && long_.empty() && !tooLong) {
            start_ += taken;
            const bool overlong = length > kMostJournalLine;
            line = {std::string_view(begin, std::min(length, kMostJournalLine)), ++number_, offset,
                    true, overlong};
            return true;
        }
        const size_t room = kMostJournalLine - std::min(kMostJournalLine, long_.size());
        if (length > room) tooLong = true;
        long_.append(begin, std::min(length, room));
        start_ += taken;
        if (found) {
            line = {long_, ++number_, offset, true, tooLong};
            return true;
        }
    }
}

// ---- JournalReader -------------------------------------------------------------------------

JournalReader::JournalReader(std::unique_ptr<ReadStream> stream, size_t bufferBytes)
    : lines_(std::move(stream), bufferBytes) {}

void JournalReader::Problem(int64_t line, JournalFault fault, std::vector<std::string> values) {
    problems_.push_back({line, fault, std::move(values)});
}

bool JournalReader::Open() {
    JournalLines::Line line;
    if (!lines_.Next(line)) {
        // An empty file, or one with the mark alone, is a journal without acts.
        return lines_.status().ok();
    }
    std::string_view text = line.text;
    if (text.starts_with(kJournalMark)) text.remove_prefix(kJournalMark.size());
    if (text.empty() && !line.ended) return true;
    const auto version = line.tooLong ? std::nullopt : JournalVersionOf(text);
    if (!version) {
        Problem(1, JournalFault::NotAHeader);
        return false;
    }
    version_ = *version;
    return true;
}

bool JournalReader::ReadParsed() {
    next_.reset();
    JournalLines::Line line;
    while (lines_.Next(line)) {
        std::string_view text = line.text;
        if (text.ends_with('\r')) text.remove_suffix(1);
        if (text.empty()) continue;
        if (line.tooLong) {
            Problem(line.number, JournalFault::TooLong);
            continue;
        }
        if (!line.ended) {
            // Every row is written with its end; a last line without it was cut short.
            Problem(line.number, JournalFault::CutShort);
            continue;
        }
        nextInAct_ = false;
        if (inAct_ && !prefix_.empty() && text.starts_with(prefix_)) {
            next_.emplace();
            if (ParseStepTail(text.substr(prefix_.size()), next_->row)) {
                nextInAct_ = true;
                nextLine_ = line.number;
                return true;
            }
            next_.reset();
        }
        JournalLine parsed;
        JournalProblem problem;
        if (!ParseJournalLine(text, version_, parsed, problem)) {
            problem.line = line.number;
            problems_.push_back(std::move(problem));
            continue;
        }
        nextPrefix_ = version_ == JournalVersion::Acts && parsed.kind == JournalLine::Kind::Begin
                          ? std::string(SharedPrefixOfLine(text))
                          : std::string();
        next_ = std::move(parsed);
        nextLine_ = line.number;
        return true;
    }
    return false;
}

bool JournalReader::SameAct(const JournalAct& a, const JournalAct& b) const {
    if (version_ == JournalVersion::First) return a == b;
    return a.actId == b.actId && a.action == b.action;
}

bool JournalReader::NextAct(JournalActHead& head) {
    JournalRow row;
    int64_t line = 0;
    while (inAct_ && NextRow(row, line)) {
    }
    for (;;) {
        if (!next_ && !ReadParsed()) return false;
        JournalLine parsed = std::move(*next_);
        next_.reset();
        if (version_ == JournalVersion::First) {
            current_ = {parsed.act, {}, false, nextLine_};
            next_ = std::move(parsed);  // the act's first row
            break;
        }
        if (parsed.kind == JournalLine::Kind::Begin) {
            current_ = {parsed.act, parsed.summary, true, nextLine_};
            prefix_ = nextPrefix_;
            break;
        }
        // A row or an end without its begin row: its act began before a cut.
        Problem(nextLine_, JournalFault::About, {"begin"});
    }
    inAct_ = true;
    cut_ = false;
    rowsRead_ = 0;
    head = current_;
    return true;
}

bool JournalReader::NextRow(JournalRow& row, int64_t& line) {
    if (!inAct_) return false;
    if (!next_) ReadParsed();
    const auto endAct = [&](bool cut) {
        inAct_ = false;
        cut_ = cut;
        if (cut) {
            Problem(current_.line, JournalFault::CutAct,
                    {current_.act.actId, std::to_string(rowsRead_),
                     std::to_string(current_.summary.rows)});
        }
        return false;
    };
    if (!next_) return endAct(version_ == JournalVersion::Acts);
    JournalLine& parsed = *next_;
    if (nextInAct_) {
        row = std::move(parsed.row);
        line = nextLine_;
        next_.reset();
        nextInAct_ = false;
        ++rowsRead_;
        return true;
    }
    if (version_ == JournalVersion::First) {
        if (!SameAct(parsed.act, current_.act)) return endAct(false);
    } else if (parsed.kind == JournalLine::Kind::Begin || !SameAct(parsed.act, current_.act)) {
        return endAct(true);
    } else if (parsed.kind == JournalLine::Kind::End) {
        next_.reset();
        return endAct(rowsRead_ != current_.summary.rows);
    }
    row = std::move(parsed.row);
    line = nextLine_;
    next_.reset();
    ++rowsRead_;
    return true;
}

std::vector<JournalProblem> JournalReader::TakeProblems() {
    return std::exchange(problems_, {});
}

JournalFile ReadJournal(std::string_view bytes) {
    JournalFile file;
    JournalReader reader(MemoryStream(std::string(bytes)),
                         std::min(kReadBytes, std::max<size_t>(4096, bytes.size() + 1)));
    file.isJournal = reader.Open();
    JournalActHead head;
    while (file.isJournal && reader.NextAct(head)) {
        JournalFile::Act& act = file.acts.emplace_back();
        act.head = head;
        JournalRow row;
        int64_t line = 0;
        while (reader.NextRow(row, line)) act.rows.push_back(row);
        act.cut = reader.ActCut();
    }
    file.problems = reader.TakeProblems();
    return file;
}

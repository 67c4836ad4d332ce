#include "journal/RuleTables.h"

#include "journal/Sha256.h"
#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"

FilePath TablesFolderBeside(const FilePath& journalPath) {
    const size_t separator = journalPath.find_last_of(u"\\/");
    const FilePath folder =
        separator == FilePath::npos ? FilePath() : journalPath.substr(0, separator + 1);
    return folder + kTablesFolderName;
}

FilePath TablePathIn(const FilePath& tablesFolder, std::string_view sha256) {
    const bool posix =
        tablesFolder.find(u'\\') == FilePath::npos && tablesFolder.find(u'/') != FilePath::npos;
    return tablesFolder + (posix ? u"/" : u"\\") + std::u16string(sha256.begin(), sha256.end()) +
           u".def";
}

FileStatus KeepRuleTable(FilePort& port, const FilePath& journalPath, std::string_view sha256,
                         std::string_view bytes) {
    if (sha256.empty()) return {};
    const FilePath folder = TablesFolderBeside(journalPath);
    const FilePath path = TablePathIn(folder, sha256);
    if (port.KindOf(path) != FileKind::Missing) {
        std::string kept;
        const FileStatus read = port.ReadAll(path, ReadSharing::WithWriters, kept);
        if (!read.ok() || Sha256Hex(kept) == sha256) return read;
        return WriteFileAtomically(port, path, bytes).status;
    }
    if (FileStatus made = port.MakeFolder(folder); !made.ok()) return made;
    const FileStatus created = port.CreateNew(path, bytes, FilePath());
    return created.fault == FileFault::NameTaken ? FileStatus{} : created;
}

std::optional<std::string> KeptRuleTable(FilePort& port, const FilePath& journalPath,
                                         std::string_view sha256) {
    std::string bytes;
    if (sha256.empty() ||
        !port.ReadAll(TablePathIn(TablesFolderBeside(journalPath), sha256),
                      ReadSharing::WithWriters, bytes)
             .ok() ||
        Sha256Hex(bytes) != sha256) {
        return std::nullopt;
    }
    return bytes;
}

std::string RuleRowText(const HoleRule& rule) {
    std::string text = rule.enabled != 0 ? "1" : "0";
    for (const RuleText* field : {&rule.CodeFrom, &rule.CodeTo, &rule.DiameterFrom,
                                  &rule.DiameterTo, &rule.DiameterModify}) {
        text += ' ';
        text += field->empty() ? std::string("-") : Utf8FromUtf16(*field, SurrogateForm::Replaced);
    }
    return text;
}

std::vector<RuleChange> RuleChangesBetween(const RuleTable& before, const RuleTable& after) {
    const int32_t n = before.count();
    const int32_t m = after.count();
    // common[i][j]: the longest common run of before's rules from i and after's from j.
    std::vector<std::vector<int32_t>> common(static_cast<size_t>(n + 1),
                                             std::vector<int32_t>(static_cast<size_t>(m + 1)));
    for (int32_t i = n - 1; i >= 0; --i) {
        for (int32_t j = m - 1; j >= 0; --j) {
            auto& cell = common[static_cast<size_t>(i)][static_cast<size_t>(j)];
            cell = before.rule(i + 1) == after.rule(j + 1)
                       ? common[static_cast<size_t>(i + 1)][static_cast<size_t>(j + 1)] + 1
                       : std::max(common[static_cast<size_t>(i + 1)][static_cast<size_t>(j)],
                                  common[static_cast<size_t>(i)][static_cast<size_t>(j + 1)]);
        }
    }
    std::vector<RuleChange> changes;
    std::vector<int32_t> removed, added;  // of the run since the last kept rule
    const auto pairUp = [&] {
        size_t k = 0;
        for (; k < removed.size() && k < added.size(); ++k) {
            changes.push_back({RuleEdit::Changed, added[k], removed[k],
                               RuleRowText(before.rule(removed[k])),
                               RuleRowText(after.rule(added[k]))});
        }
        for (size_t r = k; r < removed.size(); ++r) {
            changes.push_back({RuleEdit::Removed, removed[r], removed[r],
                               RuleRowText(before.rule(removed[r])), ""});
        }
        for (size_t a = k; a < added.size(); ++a) {
            changes.push_back(
                {RuleEdit::Added, added[a], 0, "", RuleRowText(after.rule(added[a]))});
        }
        removed.clear();
        added.clear();
    };
    int32_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && before.rule(i + 1) == after.rule(j + 1)) {
            pairUp();
            ++i;
            ++j;
        } else if (j >= m ||
                   (i < n && common[static_cast<size_t>(i + 1)][static_cast<size_t>(j)] >=
                                 common[static_cast<size_t>(i)][static_cast<size_t>(j + 1)])) {
            removed.push_back(++i);
        } else {
            added.push_back(++j);
        }
    }
    pairUp();
    return changes;
}

JournalActSummary RuleChangeRows::Summary(uint64_t from, uint64_t to) const {
    JournalActSummary summary;
    summary.rows = to - from;
    return summary;
}

void RuleChangeRows::Write(uint64_t from, uint64_t to, JournalRowWriter& out) const {
    for (uint64_t k = from; k < to; ++k) {
        const RuleChange& change = changes_[k];
        out.Rule(change.edit, change.number, change.oldNumber, change.oldRule, change.newRule);
    }
}

// The rule tables the journal's acts name, kept once by their content beside the journal
// ("<journal folder>\tables\<sha256>.def", the rule file's very bytes), and the rows of a save
// of the rule file: one per rule it added, removed or changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "journal/JournalStore.h"
#include "platform/FilePort.h"
#include "rules/RuleTable.h"

inline constexpr char16_t kTablesFolderName[] = u"tables";

// "<folder of the journal>\tables".
FilePath TablesFolderBeside(const FilePath& journalPath);
FilePath TablePathIn(const FilePath& tablesFolder, std::string_view sha256);
// Writes the table's bytes under their SHA-256 when no file holds them yet (the folder is made
// when missing), or in place of a file that holds other bytes (one cut short while it was
// being made: power went, the disk filled).
FileStatus KeepRuleTable(FilePort& port, const FilePath& journalPath, std::string_view sha256,
                         std::string_view bytes);
// The bytes of the table kept beside the journal under `sha256`, when the file is there and
// holds just those bytes.
std::optional<std::string> KeptRuleTable(FilePort& port, const FilePath& journalPath,
                                         std::string_view sha256);

// A rule as a row of a save shows it: its six fields in the rule file's order, blanks between
// ("1 101 110 8 8.6 8.5": on, codes 101 to 110, diameters 8 to 8.6, new diameter 8.5).
std::string RuleRowText(const HoleRule& rule);

struct RuleChange {
    RuleEdit edit = RuleEdit::None;
    int32_t number = 0;     // in the table saved; in the one replaced for a removed rule
    int32_t oldNumber = 0;  // in the one replaced
    std::string oldRule, newRule;

    bool operator==(const RuleChange&) const = default;
};

// The rules kept in order (the longest run common to both, renumbered or not) are no change;
// between two kept ones, rules of the old table and the new pair up in order as changed, and
// those left over are removed or added.
std::vector<RuleChange> RuleChangesBetween(const RuleTable& before, const RuleTable& after);

// The rows of a rules-saved act.
class RuleChangeRows final : public JournalActRows {
public:
    explicit RuleChangeRows(std::vector<RuleChange> changes) : changes_(std::move(changes)) {}
    uint64_t count() const override { return changes_.size(); }
    JournalActSummary Summary(uint64_t from, uint64_t to) const override;
    void Write(uint64_t from, uint64_t to, JournalRowWriter& out) const override;

private:
    std::vector<RuleChange> changes_;
};

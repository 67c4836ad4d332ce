// The rows a rewrite or an undo gives the journal: one per changed step of its holes, taken
// straight from the changes, part by part, without copying them.
#pragma once

#include <span>
#include <vector>

#include "command/HoleChange.h"
#include "journal/JournalStore.h"

// A rewrite's id is its act's in the journal.
inline std::string NewRewriteId() {
    return NewActId();
}

class HoleChangeRows final : public JournalActRows {
public:
    explicit HoleChangeRows(std::span<const HoleChange> holes);
    uint64_t count() const override { return firstRow_.back(); }
    JournalActSummary Summary(uint64_t from, uint64_t to) const override;
    void Write(uint64_t from, uint64_t to, JournalRowWriter& out) const override;

private:
    // The hole that holds row `row`.
    size_t HoleOf(uint64_t row) const;
    template <typename Each>
    void Visit(uint64_t from, uint64_t to, Each&& each) const;

    std::span<const HoleChange> holes_;
    std::vector<uint64_t> firstRow_;  // of each hole, and the count at the end
};

// The rows of "미리 보기" over a plan's changes, one per changed step, without a copy of them:
// each row is the place of its hole in the plan and of its step in the hole (8 bytes), and a
// cell's text is made when the list asks for it. The rows are in selection order until a
// column sorts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "command/HoleChange.h"

// The columns, left to right: 구멍, 단계, 가공코드, 현재 경, 새 경, 규칙.
enum class PreviewColumn { Hole, Step, Code, Diameter, NewDiameter, Rules };
inline constexpr int kPreviewColumnCount = 6;

class PreviewRows {
public:
    // The changes must outlive the rows.
    explicit PreviewRows(std::span<const HoleChange> holes);

    size_t size() const { return order_.size(); }

    // The text of the cell as the list shows it: numbers in decimal, diameters as their
    // shortest decimal, the rules as "1, 7". A new diameter that is the old one bit for bit is
    // marked: "8.5 (그대로)".
    std::u16string CellText(size_t row, PreviewColumn column) const;

    // Sorts by the column: the first time ascending, again the other way, and so on; another
    // column starts ascending. Numbers sort by value (a NaN after every number, -0 beside 0),
    // the rules by their numbers in turn (1 before 1, 3 before 2). Rows equal in the column
    // stay in selection order in both directions. Returns where the row shown at `follow`
    // is shown now (`follow` itself when there is no such row).
    size_t SortBy(PreviewColumn column, size_t follow);

    // The column sorted by and its direction; no column before the first sort.
    bool sorted() const { return sorted_; }
    PreviewColumn sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }

private:
    // Rows are made in selection order, so comparing places compares that order.
    struct Place {
        uint32_t hole;
        uint32_t step;
        auto operator<=>(const Place&) const = default;
    };

    const StepChange& StepAt(Place place) const;
    int Compare(PreviewColumn column, Place a, Place b) const;

    std::span<const HoleChange> holes_;
    std::vector<Place> order_;
    bool sorted_ = false;
    PreviewColumn sortColumn_ = PreviewColumn::Hole;
    bool descending_ = false;
};

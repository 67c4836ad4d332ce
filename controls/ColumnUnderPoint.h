// Which column of a report-view row lies under a point, from the row's left edge and the
// column widths in index order.
#pragma once

#include <span>

// The column k whose span [left, left + width] holds x, or -1. The pixel where column k
// ends and column k + 1 begins counts as column k.
int ColumnAtX(int x, int rowLeft, std::span<const int> columnWidths);

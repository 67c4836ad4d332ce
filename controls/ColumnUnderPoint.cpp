#include "controls/ColumnUnderPoint.h"

int ColumnAtX(int x, int rowLeft, std::span<const int> columnWidths) {
    int left = rowLeft;
    for (int k = 0; k < static_cast<int>(columnWidths.size()); ++k) {
        const int width = columnWidths[static_cast<size_t>(k)];
        if (left <= x && x <= left + width) return k;
        left += width;
    }
    return -1;
}

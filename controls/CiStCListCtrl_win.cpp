#include "controls/CiStCListCtrl.h"

#include <windowsx.h>

#include <vector>

#include "controls/CellHitTest.h"

LRESULT CiStCListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HSCROLL:
        case WM_VSCROLL:
            return OnScroll(message, wParam, lParam);
        case WM_LBUTTONDOWN:
            return OnLButtonDown(message, wParam, lParam);
        default:
            return Default(message, wParam, lParam);
    }
}

// A click off every cell is swallowed: no selection or focus change, no box toggled and
// no NM_CLICK, so the dialog only ever hears of clicks on real rows.
LRESULT CiStCListCtrl::OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam) {
    int row = -1;
    int column = -1;
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!HitTestCell(point, row, column)) return 0;
    return Default(message, wParam, lParam);
}

LRESULT CiStCListCtrl::OnScroll(UINT message, WPARAM wParam, LPARAM lParam) {
    if (GetFocus() != hwnd()) SetFocus(hwnd());
    return Default(message, wParam, lParam);
}

// Columns are summed in index order from the row's left edge; the header's display order
// is not consulted.
bool CiStCListCtrl::HitTestCell(POINT point, int& row, int& column) const {
    row = HitTest(point);
    column = 0;
    if ((GetWindowLongW(hwnd(), GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT) return false;
    const int columnCount = static_cast<int>(SendMessageW(GetHeader(), HDM_GETITEMCOUNT, 0, 0));
    RECT bounds{};
    if (row < 0 || !GetItemRect(row, bounds, LVIR_BOUNDS) || !PtInRect(&bounds, point)) {
        return false;
    }
    std::vector<int> widths;
    for (int k = 0; k < columnCount; ++k) widths.push_back(GetColumnWidth(k));
    const int hit = ColumnAtX(point.x, bounds.left, widths);
    if (hit < 0) return false;
    column = hit;
    return true;
}

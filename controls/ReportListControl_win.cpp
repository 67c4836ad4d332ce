#include "controls/ReportListControl_win.h"

#include <windowsx.h>

#include <vector>

#include "controls/ColumnUnderPoint.h"
#include "controls/DpiScale.h"
#include "framework/WindowDpi_win.h"
#include "platform/Handles_win.h"

namespace {

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Invalid() { return nullptr; }
    static void Close(Type images) { ImageList_Destroy(images); }
};
using UniqueImageList = UniqueResource<ImageListTraits>;

// State images 1 and 2: a clear and a ticked box, each drawn at the given size.
UniqueImageList DrawCheckBoxImages(HWND list, SIZE box) {
    const WindowDc screen(list);
    UniqueMemoryDc canvas(CreateCompatibleDC(screen.get()));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), box.cx * 2, box.cy));
    UniqueImageList images(ImageList_Create(box.cx, box.cy, ILC_COLOR32, 2, 0));
    if (screen.get() == nullptr || !canvas || !bitmap || !images) return {};
    {
        const SelectedObject drawOn(canvas.get(), bitmap.get());
        const RECT all{0, 0, box.cx * 2, box.cy};
        FillRect(canvas.get(), &all, GetSysColorBrush(COLOR_WINDOW));
        for (int ticked = 0; ticked < 2; ++ticked) {
            RECT cell{ticked * box.cx, 0, (ticked + 1) * box.cx, box.cy};
            DrawFrameControl(canvas.get(), &cell, DFC_BUTTON,
                             DFCS_BUTTONCHECK | DFCS_FLAT | (ticked != 0 ? DFCS_CHECKED : 0));
        }
    }
    if (ImageList_Add(images.get(), static_cast<HBITMAP>(bitmap.get()), nullptr) < 0) return {};
    return images;
}

}  // namespace

LRESULT ReportListControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HSCROLL:
        case WM_VSCROLL:
            return OnScroll(message, wParam, lParam);
        case WM_LBUTTONDOWN:
            return OnLButtonDown(message, wParam, lParam);
        case WM_DPICHANGED_AFTERPARENT:
            FollowDpi(WindowDpi(hwnd()));
            return Default(message, wParam, lParam);
        default:
            return Default(message, wParam, lParam);
    }
}

// A click off every cell is swallowed: no selection or focus change, no box toggled and
// no NM_CLICK, so the dialog only ever hears of clicks on real rows.
LRESULT ReportListControl::OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam) {
    int row = -1;
    int column = -1;
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!HitTestCell(point, row, column)) return 0;
    return Default(message, wParam, lParam);
}

LRESULT ReportListControl::OnScroll(UINT message, WPARAM wParam, LPARAM lParam) {
    if (GetFocus() != hwnd()) SetFocus(hwnd());
    return Default(message, wParam, lParam);
}

// Columns are summed in index order from the row's left edge; the header's display order
// is not consulted.
bool ReportListControl::HitTestCell(POINT point, int& row, int& column) const {
    row = HitTest(point);
    column = 0;
    if ((GetWindowLongW(hwnd(), GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT) return false;
    const int columnCount = GetColumnCount();
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

int ReportListControl::InsertScaledColumn(int column, std::wstring_view header, int designWidth,
                                          int format) {
    return InsertColumn(column, header, ScaleForDpi(designWidth, kDesignDpi, LayoutDpi()), format);
}

int ReportListControl::LayoutDpi() {
    if (layoutDpi_ == 0) {
        const int dpi = WindowDpi(hwnd());
        layoutDpi_ = dpi > 0 ? dpi : kDesignDpi;
    }
    return layoutDpi_;
}

// Each column keeps its share of the list, also a width the user dragged.
void ReportListControl::FollowDpi(int dpi) {
    const int fromDpi = LayoutDpi();
    if (dpi <= 0 || dpi == fromDpi) return;
    for (int column = 0; column < GetColumnCount(); ++column) {
        SetColumnWidth(column, ScaleForDpi(GetColumnWidth(column), fromDpi, dpi));
    }
    ScaleCheckBoxImages(fromDpi, dpi);
    layoutDpi_ = dpi;
}

// The list view draws its check boxes once, at the DPI it was created at; after a change
// the boxes are drawn again at the new size.
void ReportListControl::ScaleCheckBoxImages(int fromDpi, int toDpi) {
    HIMAGELIST current = GetImageList(LVSIL_STATE);
    int width = 0;
    int height = 0;
    if (current == nullptr || !ImageList_GetIconSize(current, &width, &height)) return;
    UniqueImageList redrawn = DrawCheckBoxImages(
        hwnd(), {ScaleForDpi(width, fromDpi, toDpi), ScaleForDpi(height, fromDpi, toDpi)});
    if (!redrawn) return;
    // The list owns the images it is given; the ones it gave back are ours to destroy.
    const UniqueImageList replaced(SetImageList(redrawn.release(), LVSIL_STATE));
}

#include "framework/ListCtrl_win.h"

#include <string>

namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

ListCtrl::~ListCtrl() {
    Unsubclass();
}

bool ListCtrl::SubclassWindow(HWND list) {
    if (hwnd_ != nullptr || list == nullptr) return false;
    if (!SetWindowSubclass(list, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    hwnd_ = list;
    return true;
}

void ListCtrl::Unsubclass() {
    if (hwnd_ == nullptr) return;
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
}

LRESULT CALLBACK ListCtrl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR /*id*/, DWORD_PTR self) {
    auto* list = reinterpret_cast<ListCtrl*>(self);
    if (message == WM_NCDESTROY) {
        list->Unsubclass();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return list->WindowProc(message, wParam, lParam);
}

LRESULT ListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT ListCtrl::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hwnd_, message, wParam, lParam);
}

void ListCtrl::SetExtendedStyle(DWORD styles) {
    SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles);
}

int ListCtrl::InsertColumn(int column, std::wstring_view header, int width, int format) {
    std::wstring text(header);
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    lvc.fmt = format;
    lvc.cx = width;
    lvc.pszText = text.data();
    lvc.iSubItem = column;
    return static_cast<int>(
        SendMessageW(hwnd_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&lvc)));
}

int ListCtrl::GetColumnWidth(int column) const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
}

bool ListCtrl::SetColumnWidth(int column, int width) {
    return SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)) != 0;
}

int ListCtrl::GetColumnCount() const {
    return static_cast<int>(SendMessageW(GetHeader(), HDM_GETITEMCOUNT, 0, 0));
}

int ListCtrl::GetItemCount() const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0));
}

bool ListCtrl::SetItemCount(int count) {
    return SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0) != 0;
}

void ListCtrl::RedrawAllItems() {
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool ListCtrl::EnsureVisible(int item) {
    return SendMessageW(hwnd_, LVM_ENSUREVISIBLE, item, FALSE) != 0;
}

void ListCtrl::SelectItem(int item) {
    LVITEMW lvi{};
    lvi.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    lvi.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lvi));
}

void ListCtrl::SetSortArrow(int column, bool descending) {
    HWND header = GetHeader();
    for (int k = 0; k < GetColumnCount(); ++k) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageW(header, HDM_GETITEMW, k, reinterpret_cast<LPARAM>(&item))) continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (k == column) item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, k, reinterpret_cast<LPARAM>(&item));
    }
}

int ListCtrl::InsertItem(int item, std::wstring_view text) {
    std::wstring copy(text);
    LVITEMW lvi{};
    lvi.mask = LVIF_TEXT;
    lvi.iItem = item;
    lvi.pszText = copy.data();
    return static_cast<int>(
        SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi)));
}

bool ListCtrl::DeleteItem(int item) {
    return SendMessageW(hwnd_, LVM_DELETEITEM, item, 0) != 0;
}

bool ListCtrl::DeleteAllItems() {
    return SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0) != 0;
}

bool ListCtrl::SetItemText(int item, int subItem, std::wstring_view text) {
    std::wstring copy(text);
    LVITEMW lvi{};
    lvi.iSubItem = subItem;
    lvi.pszText = copy.data();
    return SendMessageW(hwnd_, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi)) != 0;
}

bool ListCtrl::GetItemRect(int item, RECT& rect, int code) const {
    rect = RECT{};
    rect.left = code;
    return SendMessageW(hwnd_, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) != 0;
}

int ListCtrl::HitTest(POINT point) const {
    LVHITTESTINFO info{};
    info.pt = point;
    return static_cast<int>(SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

UINT ListCtrl::GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(SendMessageW(hwnd_, LVM_GETITEMSTATE, item, mask));
}

UINT ListCtrl::GetSelectedCount() const {
    return static_cast<UINT>(SendMessageW(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
}

int ListCtrl::GetNextSelectedItem(int after) const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, after, LVNI_SELECTED));
}

// The state image is 1 for a clear box and 2 for a ticked one.
bool ListCtrl::GetCheckState(int item) const {
    return (GetItemState(item, LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void ListCtrl::SetCheckState(int item, bool checked) {
    LVITEMW lvi{};
    lvi.stateMask = LVIS_STATEIMAGEMASK;
    lvi.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(hwnd_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lvi));
}

HIMAGELIST ListCtrl::GetImageList(int kind) const {
    return reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd_, LVM_GETIMAGELIST, kind, 0));
}

HIMAGELIST ListCtrl::SetImageList(HIMAGELIST images, int kind) {
    return reinterpret_cast<HIMAGELIST>(
        SendMessageW(hwnd_, LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(images)));
}

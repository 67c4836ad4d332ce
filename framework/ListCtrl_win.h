// A typed wrapper over a report-view list view that the dialog template created. Each
// method is one list-view message. A derived class can see the list's messages first by
// overriding WindowProc once the window is subclassed.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string_view>

class ListCtrl {
public:
    ListCtrl() = default;
    virtual ~ListCtrl();
    ListCtrl(const ListCtrl&) = delete;
    ListCtrl& operator=(const ListCtrl&) = delete;

    // Takes over an existing list view until its window is destroyed.
    bool SubclassWindow(HWND list);
    HWND hwnd() const { return hwnd_; }

    // Replaces every extended style by `styles`.
    void SetExtendedStyle(DWORD styles);
    int InsertColumn(int column, std::wstring_view header, int width, int format);
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);
    // The number of columns: the header's items.
    int GetColumnCount() const;
    // The header control: the list's child window with control id 0.
    HWND GetHeader() const { return GetDlgItem(hwnd_, 0); }

    int GetItemCount() const;
    // The number of rows of a list with LVS_OWNERDATA, whose texts its parent gives on
    // LVN_GETDISPINFO.
    bool SetItemCount(int count);
    // Draws every row again, as after the data behind an owner-data list changed order.
    void RedrawAllItems();
    bool EnsureVisible(int item);
    // Makes the item the selected and focused one.
    void SelectItem(int item);
    // The header's sort arrow on the column, up or down; every other column without one.
    void SetSortArrow(int column, bool descending);
    int InsertItem(int item, std::wstring_view text);
    bool DeleteItem(int item);
    bool DeleteAllItems();
    bool SetItemText(int item, int subItem, std::wstring_view text);
    bool GetItemRect(int item, RECT& rect, int code) const;
    // The item under a point in client coordinates, or -1.
    int HitTest(POINT point) const;

    UINT GetItemState(int item, UINT mask) const;
    UINT GetSelectedCount() const;
    // The first selected item after `after` (-1: from the top), or -1.
    int GetNextSelectedItem(int after) const;

    bool GetCheckState(int item) const;
    void SetCheckState(int item, bool checked);

    // LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE. Setting one returns the one it replaces.
    HIMAGELIST GetImageList(int kind) const;
    HIMAGELIST SetImageList(HIMAGELIST images, int kind);

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The list view's own handling of a message.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    void Unsubclass();

    HWND hwnd_ = nullptr;
};

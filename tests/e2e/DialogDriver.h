// Driving the module's dialogs as a user would, from a second thread while the main thread
// runs them modally: finding them, clicking list cells at their real coordinates, pressing
// buttons, typing, and reading back what they show. Every wait polls every 20 ms and gives
// up after 10 s.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr wchar_t kListCaption[] = L"Hole Diameter";
inline constexpr wchar_t kEditorCaption[] = L"Master Setting";

// A visible dialog of this process with the caption, or null after the timeout.
HWND WaitForDialog(std::wstring_view caption, DWORD timeoutMs = 10000);
// True once the window is gone (or hidden); false after the timeout.
bool WaitUntilClosed(HWND window, DWORD timeoutMs = 10000);

// Runs `drive` on a new thread while `run` (which opens the dialogs modally) runs on this
// one. Whatever dialog of this process `drive` leaves open is then cancelled, so that
// `run` always returns. Returns `run`'s result.
int RunWhileDriving(const std::function<int()>& run, const std::function<void()>& drive);

std::wstring TextOf(HWND window);
std::wstring ItemText(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
// The window with the keyboard focus in the dialog's thread.
HWND FocusOf(HWND dialog);

// BM_CLICK, waiting until the dialog has handled it.
void Press(HWND dialog, int id);
// BM_CLICK without waiting, for buttons that open a nested modal dialog.
void PressLater(HWND dialog, int id);
// WM_COMMAND BN_CLICKED straight to the dialog, as a click on a button that is disabled
// would arrive if something sent it anyway.
void SendClickedNotification(HWND dialog, int id);

// The rule list dialog's list view.
class ListView {
public:
    explicit ListView(HWND list) : list_(list) {}
    HWND hwnd() const { return list_; }

    int RowCount() const;
    std::wstring CellText(int row, int column) const;
    bool Checked(int row) const;
    bool Selected(int row) const;
    UINT SelectedCount() const;
    int ColumnCount() const;
    int ColumnWidth(int column) const;
    std::wstring HeaderText(int column) const;
    // HDF_SORTUP, HDF_SORTDOWN or 0: the arrow the column's header shows.
    int SortArrow(int column) const;
    int TopIndex() const;

    // Client coordinates. The bounds of a row cover all of its columns.
    RECT RowBounds(int row) const;
    RECT CellRect(int row, int column) const;
    POINT CheckBoxPoint(int row) const;
    // A point in column 0 right of the check box.
    POINT BesideCheckBoxPoint(int row) const;

    // A left click (button down and up) at a client point; `keys` adds MK_CONTROL etc.
    void ClickAt(POINT point, WPARAM keys = 0) const;
    void ClickCell(int row, int column, WPARAM keys = 0) const;
    void ClickCheckBox(int row) const;
    // A left click in the middle of the column's header.
    void ClickHeader(int column) const;
    void PressKey(UINT virtualKey) const;
    void SendScroll(UINT message, int request) const;

private:
    HWND list_;
};

// One row of the list as shown.
struct ShownRule {
    bool checked;
    std::wstring codes;
    std::wstring diameters;
    std::wstring modify;
    bool operator==(const ShownRule&) const = default;
};

std::vector<ShownRule> ShownRules(const ListView& list);

// Lets the window's thread finish what posted input started.
void Settle(HWND window);

// WM_SETTEXT, as pasting a whole text would.
void SetItemText(HWND dialog, int id, std::wstring_view text);
// One WM_CHAR per character at the end of the text, as typing would.
void TypeInto(HWND dialog, int id, std::wstring_view text);

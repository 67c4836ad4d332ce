#include "DialogDriver.h"

#include <atomic>
#include <thread>

namespace {

constexpr DWORD kPollMs = 20;

bool IsDialogOfThisProcess(HWND window) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() && std::wstring_view(className) == L"#32770";
}

std::vector<HWND> VisibleDialogsOfThisProcess() {
    std::vector<HWND> dialogs;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            if (IsDialogOfThisProcess(window) && IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

}  // namespace

HWND WaitForDialog(std::wstring_view caption, DWORD timeoutMs) {
    const std::wstring wanted(caption);
    for (DWORD waited = 0; waited <= timeoutMs; waited += kPollMs) {
        for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", wanted.c_str());
             window != nullptr;
             window = FindWindowExW(nullptr, window, L"#32770", wanted.c_str())) {
            if (IsDialogOfThisProcess(window) && IsWindowVisible(window)) return window;
        }
        Sleep(kPollMs);
    }
    return nullptr;
}

bool WaitUntilClosed(HWND window, DWORD timeoutMs) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += kPollMs) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(kPollMs);
    }
    return false;
}

int RunWhileDriving(const std::function<int()>& run, const std::function<void()>& drive) {
    std::atomic<bool> runEnded{false};
    std::thread driver([&] {
        drive();
        // Cancel whatever is left, nested dialogs first, until the modal run is over. The
        // module's message boxes are the message box watcher's to record and close.
        for (DWORD waited = 0; !runEnded && waited <= 10000; waited += kPollMs) {
            for (HWND dialog : VisibleDialogsOfThisProcess()) {
                if (IsWindowEnabled(dialog) && TextOf(dialog) != L"Quillet") {
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                }
            }
            Sleep(kPollMs);
        }
    });
    const int result = run();
    runEnded = true;
    driver.join();
    return result;
}

std::wstring TextOf(HWND window) {
    const auto length = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = static_cast<int>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ItemText(HWND dialog, int id) {
    return TextOf(GetDlgItem(dialog, id));
}

bool ItemEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void Press(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressLater(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void SendClickedNotification(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    Settle(dialog);
}

int ListView::RowCount() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ListView::CellText(int row, int column) const {
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    const auto length = static_cast<int>(
        SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    return std::wstring(buffer, static_cast<size_t>(length));
}

bool ListView::Checked(int row) const {
    return (SendMessageW(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) == 2;
}

bool ListView::Selected(int row) const {
    return (SendMessageW(list_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

UINT ListView::SelectedCount() const {
    return static_cast<UINT>(SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0));
}

int ListView::ColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

int ListView::ColumnWidth(int column) const {
    return static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0));
}

std::wstring ListView::HeaderText(int column) const {
    wchar_t buffer[64] = {};
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = buffer;
    info.cchTextMax = 64;
    SendMessageW(list_, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
    return buffer;
}

int ListView::TopIndex() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
}

RECT ListView::RowBounds(int row) const {
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    SendMessageW(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

RECT ListView::CellRect(int row, int column) const {
    RECT rect{};
    rect.top = column;
    // For column 0 the bounds would cover the whole row.
    rect.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    SendMessageW(list_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

POINT ListView::CheckBoxPoint(int row) const {
    const RECT bounds = RowBounds(row);
    const int y = (bounds.top + bounds.bottom) / 2;
    for (int x = bounds.left; x < bounds.left + ColumnWidth(0); ++x) {
        LVHITTESTINFO hit{};
        hit.pt = {x, y};
        SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON) != 0) return {x + 3, y};
    }
    return {-1, -1};
}

POINT ListView::BesideCheckBoxPoint(int row) const {
    const RECT bounds = RowBounds(row);
    return {bounds.left + ColumnWidth(0) - 5, (bounds.top + bounds.bottom) / 2};
}

void ListView::ClickAt(POINT point, WPARAM keys) const {
    const LPARAM where = MAKELPARAM(point.x, point.y);
    PostMessageW(list_, WM_MOUSEMOVE, keys, where);
    PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON | keys, where);
    PostMessageW(list_, WM_LBUTTONUP, keys, where);
    Settle(list_);
}

void ListView::ClickHeader(int column) const {
    HWND header = ListView_GetHeader(list_);
    RECT item{};
    SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
    const LPARAM where = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageW(header, WM_MOUSEMOVE, 0, where);
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(header, WM_LBUTTONUP, 0, where);
    Settle(list_);
}

int ListView::SortArrow(int column) const {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(ListView_GetHeader(list_), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

void ListView::ClickCell(int row, int column, WPARAM keys) const {
    const RECT cell = CellRect(row, column);
    ClickAt({(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2}, keys);
}

void ListView::ClickCheckBox(int row) const {
    ClickAt(CheckBoxPoint(row));
}

void ListView::PressKey(UINT virtualKey) const {
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(list_, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scanCode) << 16));
    PostMessageW(list_, WM_KEYUP, virtualKey,
                 1 | (static_cast<LPARAM>(scanCode) << 16) | (1u << 30) | (1u << 31));
    Settle(list_);
}

void ListView::SendScroll(UINT message, int request) const {
    PostMessageW(list_, message, MAKEWPARAM(request, 0), 0);
    Settle(list_);
}

std::vector<ShownRule> ShownRules(const ListView& list) {
    std::vector<ShownRule> rows;
    for (int row = 0; row < list.RowCount(); ++row) {
        rows.push_back({list.Checked(row), list.CellText(row, 1), list.CellText(row, 2),
                        list.CellText(row, 3)});
    }
    return rows;
}

void Settle(HWND window) {
    for (int i = 0; i < 3; ++i) {
        Sleep(60);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    }
}

void SetItemText(HWND dialog, int id, std::wstring_view text) {
    const std::wstring copy(text);
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

void TypeInto(HWND dialog, int id, std::wstring_view text) {
    HWND field = GetDlgItem(dialog, id);
    const LRESULT end = SendMessageW(field, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(field, EM_SETSEL, end, end);
    for (wchar_t c : text) SendMessageW(field, WM_CHAR, c, 1);
}

#include "framework/ModalDialog_win.h"

#include <algorithm>
#include <utility>

#include "framework/ResourceContext_win.h"
#include "platform/WideText_win.h"

namespace {

// One axis of the placement: centred on [centreFrom, centreTo), then moved back inside
// [areaFrom, areaTo); a dialog larger than the area keeps its top or left edge on it.
LONG CentredWithin(LONG size, LONG centreFrom, LONG centreTo, LONG areaFrom, LONG areaTo) {
    const LONG start = (centreFrom + centreTo) / 2 - size / 2;
    return std::max(std::min(start, areaTo - size), areaFrom);
}

// Centres the dialog on its owner, or on the work area of the primary monitor when it has
// none, and keeps it entirely on the work area of that monitor. An owner that is hidden or
// minimised gives only its monitor.
void CentreOnOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    HMONITOR monitor = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                        : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return;
    const RECT area = info.rcWork;
    RECT centre = area;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &centre);
    }
    RECT bounds{};
    GetWindowRect(dialog, &bounds);
    const LONG width = bounds.right - bounds.left;
    const LONG height = bounds.bottom - bounds.top;
    SetWindowPos(dialog, nullptr,
                 CentredWithin(width, centre.left, centre.right, area.left, area.right),
                 CentredWithin(height, centre.top, centre.bottom, area.top, area.bottom), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

ModalDialog::ModalDialog(int templateId) : templateId_(templateId) {}

INT_PTR ModalDialog::DoModal(HWND owner) {
    const ResourceContext resources;
    if (resources.instance() == nullptr) return -1;
    return DialogBoxParamW(resources.instance(), MAKEINTRESOURCEW(templateId_), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

ModalDialog* ModalDialog::FromWindow(HWND window) {
    const auto ours = reinterpret_cast<LONG_PTR>(&ModalDialog::DialogProc);
    if (window == nullptr || GetWindowLongPtrW(window, DWLP_DLGPROC) != ours) return nullptr;
    return reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<ModalDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->hwnd_ = window;
    }
    auto* dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    const INT_PTR handled = dialog->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->hwnd_ = nullptr;
    }
    return handled;
}

INT_PTR ModalDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return InitDialog();
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            const bool fromControl = lParam != 0;
            if (exchanging_ && fromControl) return TRUE;
            if (id == IDOK && (!fromControl || code == BN_CLICKED)) {
                OnOK();
            } else if (id == IDCANCEL && (!fromControl || code == BN_CLICKED)) {
                OnCancel();
            } else {
                OnCommand(id, code);
            }
            return TRUE;
        }
        case WM_NOTIFY: {
            if (exchanging_) return TRUE;
            const LRESULT result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            // In a dialog the notification's result goes through DWLP_MSGRESULT.
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam));
            return FALSE;
        default:
            return FALSE;
    }
}

// A dialog that neither showed nor moved itself while it initialised is centred; the
// dialog manager shows it afterwards.
BOOL ModalDialog::InitDialog() {
    RECT before{};
    GetWindowRect(hwnd_, &before);
    const BOOL result = OnInitDialog();
    RECT after{};
    GetWindowRect(hwnd_, &after);
    if (!IsWindowVisible(hwnd_) && EqualRect(&before, &after)) CentreOnOwner(hwnd_);
    return result;
}

BOOL ModalDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void ModalDialog::DoDataExchange(bool /*saveAndValidate*/) {}

void ModalDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void ModalDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void ModalDialog::OnCommand(int /*controlId*/, int /*notifyCode*/) {}

LRESULT ModalDialog::OnNotify(const NMHDR& /*header*/) {
    return 0;
}

void ModalDialog::OnDpiChanged(int /*dpi*/) {}

void ModalDialog::UpdateData(bool saveAndValidate) {
    const bool wasExchanging = std::exchange(exchanging_, true);
    DoDataExchange(saveAndValidate);
    exchanging_ = wasExchanging;
}

void ModalDialog::EndDialog(INT_PTR result) {
    ::EndDialog(hwnd_, result);
}

void ModalDialog::ExchangeText(bool saveAndValidate, int controlId, std::u16string& value) {
    HWND control = Item(controlId);
    if (saveAndValidate) {
        value = WindowText(control);
    } else if (WindowText(control) != value) {
        // Setting an unchanged text would only move the caret and raise a change notice.
        SetWindowTextW(control, ToWide(value).c_str());
    }
}

void ModalDialog::ExchangeCheck(bool saveAndValidate, int controlId, int32_t& value) {
    if (saveAndValidate) {
        value = IsDlgButtonChecked(hwnd_, controlId) == BST_CHECKED ? 1 : 0;
    } else {
        CheckDlgButton(hwnd_, controlId, value != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
}

HWND ActiveOwner() {
    HWND owner = GetActiveWindow();
    if (owner == nullptr) return nullptr;
    owner = GetAncestor(owner, GA_ROOT);
    return GetLastActivePopup(owner);
}

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return ToU16(text);
}

// The modal dialog base of the module's dialogs: the template comes from the
// module's resources (in the module's resource context for the run), DoDataExchange moves
// values between controls and members, and the dialog procedure routes messages to the
// overridable handlers below. A dialog opens centred on the owner it is given.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

class ModalDialog {
public:
    explicit ModalDialog(int templateId);
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog owned by `owner` (null: none), which is disabled meanwhile. IDOK or
    // IDCANCEL as the dialog ended, -1 when it could not be created.
    INT_PTR DoModal(HWND owner);

    HWND hwnd() const { return hwnd_; }

    // The dialog object behind a window that DoModal created, while that window lives;
    // null for any other window.
    static ModalDialog* FromWindow(HWND window);

protected:
    // Runs the exchange into the controls; TRUE lets the dialog manager set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(bool saveAndValidate);
    // Exchange from the controls, then end with IDOK.
    virtual void OnOK();
    virtual void OnCancel();
    // A control's WM_COMMAND notification other than IDOK and IDCANCEL.
    virtual void OnCommand(int controlId, int notifyCode);
    // WM_NOTIFY; the returned value is the notification's result.
    virtual LRESULT OnNotify(const NMHDR& header);
    // WM_DPICHANGED: the dialog now shows at `dpi`. The dialog manager's own handling of the
    // message follows.
    virtual void OnDpiChanged(int dpi);

    // Moves the values between members and controls. Controls' notifications are not
    // handled while it runs, so a handler cannot undo an exchange half way.
    void UpdateData(bool saveAndValidate);
    void EndDialog(INT_PTR result);
    HWND Item(int controlId) const { return GetDlgItem(hwnd_, controlId); }

    // One control and one member each, in the direction the exchange runs.
    void ExchangeText(bool saveAndValidate, int controlId, std::u16string& value);
    void ExchangeCheck(bool saveAndValidate, int controlId, int32_t& value);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL InitDialog();

    int templateId_;
    HWND hwnd_ = nullptr;
    bool exchanging_ = false;
};

// The owner a dialog opened for the calling thread's work takes: the thread's active window
// (the host's window while the host runs the command; for a nested dialog, the dialog that
// opened it), or rather the popup of it that was active last; null when the thread has no
// active window.
HWND ActiveOwner();

// The text of a window, such as a control of a dialog.
std::u16string WindowText(HWND window);

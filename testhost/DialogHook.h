// Sees, on the thread that creates it, each dialog of that thread just after it initialised
// (WM_INITDIALOG handled), for as long as it lives, and can follow such a dialog message by
// message. Several can be in effect on one thread: they share one window hook, set while
// any of them lives and removed with the last.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

class DialogHook {
public:
    using OnInit = std::function<void(HWND dialog)>;
    using OnMessage = std::function<void(HWND dialog, UINT message, WPARAM wParam)>;

    explicit DialogHook(OnInit onInit);
    ~DialogHook();
    DialogHook(const DialogHook&) = delete;
    DialogHook& operator=(const DialogHook&) = delete;

    // Calls onMessage after the dialog handled each message (posted ones too), until the
    // dialog is destroyed or this hook ends.
    void FollowMessages(HWND dialog, OnMessage onMessage);

private:
    struct Followed {
        HWND dialog;
        OnMessage onMessage;
    };

    static LRESULT CALLBACK AfterCall(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data);

    OnInit onInit_;
    std::vector<std::unique_ptr<Followed>> followed_;
};

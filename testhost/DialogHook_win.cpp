#include "testhost/DialogHook.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// A window hook carries no data of its own: the hooks in effect on a thread are kept here.
struct ThreadHooks {
    HHOOK hook = nullptr;
    std::vector<DialogHook*> owners;
};

thread_local ThreadHooks threadHooks;

}  // namespace

DialogHook::DialogHook(OnInit onInit) : onInit_(std::move(onInit)) {
    if (threadHooks.owners.empty()) {
        threadHooks.hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &DialogHook::AfterCall, nullptr,
                                             GetCurrentThreadId());
    }
    threadHooks.owners.push_back(this);
}

DialogHook::~DialogHook() {
    for (const std::unique_ptr<Followed>& followed : followed_) {
        if (followed->dialog != nullptr) {
            RemoveWindowSubclass(followed->dialog, &DialogHook::DialogMessage,
                                 reinterpret_cast<UINT_PTR>(followed.get()));
        }
    }
    std::erase(threadHooks.owners, this);
    if (threadHooks.owners.empty() && threadHooks.hook != nullptr) {
        UnhookWindowsHookEx(threadHooks.hook);
        threadHooks.hook = nullptr;
    }
}

void DialogHook::FollowMessages(HWND dialog, OnMessage onMessage) {
    auto& followed =
        followed_.emplace_back(std::make_unique<Followed>(Followed{dialog, std::move(onMessage)}));
    if (!SetWindowSubclass(dialog, &DialogHook::DialogMessage,
                           reinterpret_cast<UINT_PTR>(followed.get()),
                           reinterpret_cast<DWORD_PTR>(followed.get()))) {
        followed->dialog = nullptr;
    }
}

LRESULT CALLBACK DialogHook::AfterCall(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        // A callback may start or end a hook of its own: each one still in effect is called.
        const std::vector<DialogHook*> owners = threadHooks.owners;
        for (DialogHook* owner : owners) {
            if (std::ranges::find(threadHooks.owners, owner) != threadHooks.owners.end()) {
                owner->onInit_(call->hwnd);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK DialogHook::DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR data) {
    const LRESULT result = DefSubclassProc(dialog, message, wParam, lParam);
    auto* followed = reinterpret_cast<Followed*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(dialog, &DialogHook::DialogMessage, id);
        followed->dialog = nullptr;
    } else {
        followed->onMessage(dialog, message, wParam);
    }
    return result;
}

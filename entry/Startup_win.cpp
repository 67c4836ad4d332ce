// The module's only export and the callbacks it hands to the host.
#include <windows.h>

#include <cstdint>

#include "command/HoleCommand.h"
#include "entry/RewriteSession.h"
#include "entry/RuleSession_win.h"
#include "host/KepEvents.h"
#include "host/KepLib.h"
#include "host/KepLibHost_win.h"
#include "texts/ModuleTexts.h"

extern "C" __declspec(dllexport) int32_t __cdecl Startup(void);

namespace {

constexpr int32_t kStartDone = 0;
constexpr int32_t kStartupRegistered = 0;
constexpr int32_t kStartupRefused = -1;
constexpr int32_t kPickReject = 0;
// The event mask and event object record the host expects from this command. What the values
// select is the host's business; the module passes them on unchanged at every start.
constexpr int32_t kHostEventMask = 32;
constexpr int32_t kHostEventObject[4] = {16, 2, 0, 0};

// The callbacks are entered from the host's C code, so no exception may leave them; the
// only ones possible are allocation failures, after which the event is simply not done.
// The module's one table and its file, and the rewrites of the running command with their
// undo points, for the module's life.
ModuleRuleSession rules;
RewriteSession rewrites(rules.session());

template <typename Action, typename Result>
Result Guarded(Action action, Result onFailure) noexcept {
    try {
        return action();
    } catch (...) {
        return onFailure;
    }
}

// Every event the module knows counts as handled, also when its command could not finish.
template <typename Command>
int32_t HandleEvent(Command command) noexcept {
    return Guarded(
        [&] {
            command();
            return kEventHandled;
        },
        kEventHandled);
}

int32_t __cdecl HostPickFilter(int32_t elementKind, int32_t elementNumber) {
    return Guarded(
        [&] {
            KepLibHost host;
            return ::PickFilter(host, elementKind, elementNumber);
        },
        kPickReject);
}

int32_t __cdecl ExecuteCallback(int32_t eventCode) {
    switch (eventCode) {
        case kEventRewrite:
            return HandleEvent([] {
                KepLibHost host;
                rewrites.Rewrite(host);
            });
        case kEventRuleList:
            return HandleEvent([] {
                KepLibHost host;
                rules.EditInRuleList(rewrites, host);
            });
        default:
            return kEventNotHandled;
    }
}

// A rule file that cannot be read is reported; the command then goes on with an empty table.
int32_t __cdecl StartCallback(void) {
    Guarded(
        [] {
            rules.Load();
            rewrites.OnCommandStart();
            return true;
        },
        false);
    KepIddClearSysIdData();
    KepEvtSetEventMask(kHostEventMask);
    KepEvtSetObject(kHostEventObject);
    KepEvtSetCompareFunction(&HostPickFilter);
    KepMsgPutMessage(reinterpret_cast<const wchar_t*>(texts::kCommandPrompt));
    KepCtlSetExecuteFunc(&ExecuteCallback, L"");
    return kStartDone;
}

void __cdecl EndCallback(void) {
    Guarded(
        [] {
            rewrites.OnCommandEnd();
            return true;
        },
        false);
}

}  // namespace

int32_t __cdecl Startup(void) {
    const int32_t registered = KepCtlRegisterKepLib2(&StartCallback, nullptr, &EndCallback);
    return registered > 0 ? kStartupRegistered : kStartupRefused;
}

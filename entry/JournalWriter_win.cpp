#include "entry/JournalWriter_win.h"

#include <utility>

#include "command/RewriteJournal.h"
#include "entry/JournalSeat_win.h"
#include "platform/SystemFilePort.h"

namespace {

// Allocation failures are the only exceptions possible; the act is then not written, as if
// every journal had missed it, and what comes afterwards is not done.
void Write(JournalWriter::Act& act) noexcept {
    try {
        SystemFilePort files;
        act.misses = RecordAct(files, act.journals, act.act, HoleChangeRows(act.holes), act.table);
    } catch (...) {
        act.unwritten = true;
    }
    try {
        if (act.afterwards) act.afterwards(std::move(act.holes));
    } catch (...) {
    }
}

// The module stays loaded until the act is written: the thread lets go of it as it ends.
DWORD WINAPI WriteBehind(void* parameter) {
    auto& act = *static_cast<JournalWriter::Act*>(parameter);
    const HMODULE module = act.module;
    Write(act);
    FreeLibraryAndExitThread(module, 0);
}

HMODULE HoldThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&WriteBehind), &module);
    return module;
}

}  // namespace

// Run by the writing thread itself when its letting go of the module unloads it; otherwise a
// thread that still runs here was cut off by the process's end, and its act is not freed,
// since that thread may have held the heap when it stopped.
JournalWriter::~JournalWriter() {
    if (thread_ && GetThreadId(thread_.get()) != GetCurrentThreadId() &&
        WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT) {
        (void)act_.release();
    }
}

void JournalWriter::Record(SeatJournals journals, JournalAct act, TableToKeep table,
                           std::vector<HoleChange> holes, Afterwards afterwards) {
    Finish();
    act_ = std::make_unique<Act>(Act{std::move(journals),
                                     std::move(act),
                                     std::move(table),
                                     std::move(holes),
                                     std::move(afterwards),
                                     {},
                                     {},
                                     false});
    act_->module = HoldThisModule();
    if (act_->module != nullptr) {
        thread_.reset(CreateThread(nullptr, 0, &WriteBehind, act_.get(), 0, nullptr));
        if (thread_) return;
        FreeLibrary(act_->module);
    }
    Write(*act_);
    Finish();
}

void JournalWriter::Finish() {
    if (!act_) return;
    if (thread_) {
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    std::vector<JournalMiss> misses = std::move(act_->misses);
    if (act_->unwritten) {
        misses = {{act_->journals.own, {FileFault::Other, ERROR_OUTOFMEMORY}, ActWaits::Lost, {}}};
    }
    act_.reset();
    TellJournalMisses(misses);
}

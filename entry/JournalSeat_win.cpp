#include "entry/JournalSeat_win.h"

#include <windows.h>

#include <lmcons.h>

#include <string>

#include "dialogs/ModuleMessages_win.h"
#include "platform/FilePaths_win.h"
#include "platform/TextEncoding.h"
#include "platform/WideText_win.h"
#include "settings/SeatPlaces_win.h"
#include "texts/ModuleTexts.h"
#include "texts/TextFormat.h"

namespace {

// 100 ns ticks since 1601-01-01.
int64_t TicksOf(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file)) return 0;
    return static_cast<int64_t>((uint64_t{file.dwHighDateTime} << 32) | file.dwLowDateTime);
}

std::string Utf8(std::u16string_view text) {
    return Utf8FromUtf16(text, SurrogateForm::Replaced);
}

std::u16string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? ToU16(name) : std::u16string();
}

std::u16string UserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    return GetUserNameW(name, &size) ? ToU16(name) : std::u16string();
}

}  // namespace

Timestamp SeatClockNow() {
    constexpr int64_t kTicksPerMillisecond = 10'000;
    constexpr int64_t kTicksPerMinute = 600'000'000;
    constexpr int64_t kMillisecondsFrom1601To1970 = 11'644'473'600'000;
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    SYSTEMTIME local = utc;
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    const int64_t utcTicks = TicksOf(utc);
    const int64_t offsetTicks = TicksOf(local) - utcTicks;
    return {utcTicks / kTicksPerMillisecond - kMillisecondsFrom1601To1970,
            static_cast<int32_t>((offsetTicks + (offsetTicks >= 0 ? 1 : -1) * kTicksPerMinute / 2) /
                                 kTicksPerMinute)};
}

JournalAct ActOfThisSeat(JournalAction action) {
    JournalAct act;
    act.time = SeatClockNow();
    act.user = Utf8(UserName());
    act.computer = Utf8(ComputerName());
    act.action = action;
    act.actId = NewActId();
    act.rewriteId = act.actId;
    return act;
}

SeatJournals JournalsOfThisSeat(FilePort& files, const RuleLocation& location) {
    SeatJournals journals;
    const FilePath ownFolder = SeatOwnFolder();
    if (!ownFolder.empty()) journals.own = ownFolder + u"\\journal.csv";
    if (location.configured() && location.usable()) {
        journals.shared = SeatJournalPath(location.folder, ComputerName());
        journals.sharedFolder = JournalFolderIn(location.folder);
        journals.sharedReachable = files.KindOf(location.folder) == FileKind::Folder;
    }
    return journals;
}

void TellJournalMisses(const std::vector<JournalMiss>& misses) {
    std::wstring text;
    for (const JournalMiss& miss : misses) {
        if (miss.status.fault == FileFault::NotFound && miss.waits != ActWaits::Lost) continue;
        text += ToWide(
            Format(texts::kJournalFailure, miss.path, ToU16(DescribeWin32Error(miss.status.code))));
        text +=
            ToWide(miss.waits == ActWaits::Lost ? std::u16string(texts::kJournalActLost)
                                                : Format(texts::kJournalActWaits, miss.waitsIn));
        text += L"\r\n";
    }
    if (!text.empty()) ShowModuleMessage(text, MB_ICONWARNING);
}

#include "journal/JournalTime.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int64_t kMillisecondsPerDay = 86'400'000;

// Days from 1970-01-01 to the date, and back.
int64_t DaysFromCivil(int64_t year, int month, int day) {
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(static_cast<int>(year)),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    return sys_days(date).time_since_epoch().count();
}

void CivilFromDays(int64_t days, CivilTime& time) {
    using namespace std::chrono;
    const year_month_day date{sys_days(std::chrono::days(days))};
    time.year = static_cast<int>(date.year());
    time.month = static_cast<int>(static_cast<unsigned>(date.month()));
    time.day = static_cast<int>(static_cast<unsigned>(date.day()));
}

bool IsDate(int year, int month, int day) {
    return std::chrono::year_month_day{std::chrono::year(year),
                                       std::chrono::month(static_cast<unsigned>(month)),
                                       std::chrono::day(static_cast<unsigned>(day))}
        .ok();
}

// Reads exactly `count` digits at `pos`.
std::optional<int> Digits(std::string_view text, size_t& pos, size_t count) {
    if (pos + count > text.size()) return std::nullopt;
    int value = 0;
    for (size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    pos += count;
    return value;
}

bool Take(std::string_view text, size_t& pos, char expected) {
    if (pos >= text.size() || text[pos] != expected) return false;
    ++pos;
    return true;
}

bool ReadDate(std::string_view text, size_t& pos, CivilTime& time) {
    const auto year = Digits(text, pos, 4);
    if (!year || !Take(text, pos, '-')) return false;
    const auto month = Digits(text, pos, 2);
    if (!month || *month < 1 || *month > 12 || !Take(text, pos, '-')) return false;
    const auto day = Digits(text, pos, 2);
    if (!day || !IsDate(*year, *month, *day)) return false;
    time.year = *year;
    time.month = *month;
    time.day = *day;
    return true;
}

bool ReadClock(std::string_view text, size_t& pos, CivilTime& time) {
    const auto hour = Digits(text, pos, 2);
    if (!hour || *hour > 23 || !Take(text, pos, ':')) return false;
    const auto minute = Digits(text, pos, 2);
    if (!minute || *minute > 59) return false;
    time.hour = *hour;
    time.minute = *minute;
    if (!Take(text, pos, ':')) return true;
    const auto second = Digits(text, pos, 2);
    if (!second || *second > 59) return false;
    time.second = *second;
    if (!Take(text, pos, '.')) return true;
    size_t digits = 0;
    int millisecond = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits) {
        if (digits < 3) millisecond = millisecond * 10 + (text[pos] - '0');
    }
    if (digits == 0) return false;
    for (size_t i = digits; i < 3; ++i) millisecond *= 10;
    time.millisecond = millisecond;
    return true;
}

std::optional<int32_t> ReadOffset(std::string_view text, size_t& pos) {
    if (Take(text, pos, 'Z')) return 0;
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) return std::nullopt;
    const int sign = text[pos++] == '-' ? -1 : 1;
    const auto hours = Digits(text, pos, 2);
    if (!hours || *hours > 23) return std::nullopt;
    Take(text, pos, ':');
    const auto minutes = Digits(text, pos, 2);
    if (!minutes || *minutes > 59) return std::nullopt;
    return sign * (*hours * 60 + *minutes);
}

}  // namespace

int64_t MillisecondsSinceEpoch(const CivilTime& time) {
    const int64_t clock =
        ((int64_t{time.hour} * 60 + time.minute) * 60 + time.second) * 1000 + time.millisecond;
    return DaysFromCivil(time.year, time.month, time.day) * kMillisecondsPerDay + clock;
}

CivilTime CivilTimeAt(int64_t millisecondsSinceEpoch) {
    int64_t days = millisecondsSinceEpoch / kMillisecondsPerDay;
    int64_t rest = millisecondsSinceEpoch % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        --days;
    }
    CivilTime time;
    CivilFromDays(days, time);
    time.millisecond = static_cast<int>(rest % 1000);
    time.second = static_cast<int>(rest / 1000 % 60);
    time.minute = static_cast<int>(rest / 60'000 % 60);
    time.hour = static_cast<int>(rest / 3'600'000);
    return time;
}

CivilTime Timestamp::Local() const {
    return CivilTimeAt(utcMilliseconds + int64_t{offsetMinutes} * 60'000);
}

Timestamp TimestampOfLocal(const CivilTime& local, int32_t offsetMinutes) {
    return {MillisecondsSinceEpoch(local) - int64_t{offsetMinutes} * 60'000, offsetMinutes};
}

std::string IsoTimestamp(const Timestamp& time) {
    const CivilTime local = time.Local();
    const int32_t offset = std::abs(time.offsetMinutes);
    char text[128];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", local.year,
                  local.month, local.day, local.hour, local.minute, local.second, local.millisecond,
                  time.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string IsoTimestampToSecond(const Timestamp& time) {
    const CivilTime local = time.Local();
    const int32_t offset = std::abs(time.offsetMinutes);
    char text[128];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.year,
                  local.month, local.day, local.hour, local.minute, local.second,
                  time.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

namespace {

// The seat's local date and time in `format`, which takes year, month, day, hour, minute and
// second in that order.
std::string LocalTimeIn(const Timestamp& time, const char* format) {
    const CivilTime local = time.Local();
    char text[96];
    std::snprintf(text, sizeof text, format, local.year, local.month, local.day, local.hour,
                  local.minute, local.second);
    return text;
}

}  // namespace

std::string FileNameTime(const Timestamp& time) {
    return LocalTimeIn(time, "%04d%02d%02d-%02d%02d%02d");
}

std::string LocalTimeText(const Timestamp& time) {
    return LocalTimeIn(time, "%04d-%02d-%02d %02d:%02d:%02d");
}

std::optional<IsoTime> ParseIsoTime(std::string_view text) {
    IsoTime time;
    size_t pos = 0;
    if (!ReadDate(text, pos, time.local)) return std::nullopt;
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == ' ')) {
        ++pos;
        if (!ReadClock(text, pos, time.local)) return std::nullopt;
        time.hasClock = true;
        if (pos < text.size()) {
            time.offsetMinutes = ReadOffset(text, pos);
            if (!time.offsetMinutes) return std::nullopt;
        }
    }
    if (pos != text.size()) return std::nullopt;
    return time;
}

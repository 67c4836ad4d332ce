// Times of the journal: an instant with the offset of the seat's clock from UTC, written and
// read as ISO 8601 ("2024-05-01T14:03:07.250+09:00"), on the proleptic Gregorian calendar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct CivilTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Milliseconds from 1970-01-01 00:00:00 to the civil time, read as a time in UTC; and back.
int64_t MillisecondsSinceEpoch(const CivilTime& time);
CivilTime CivilTimeAt(int64_t millisecondsSinceEpoch);

struct Timestamp {
    int64_t utcMilliseconds = 0;  // since 1970-01-01T00:00:00Z
    int32_t offsetMinutes = 0;    // the seat's local time minus UTC

    CivilTime Local() const;
    bool operator==(const Timestamp&) const = default;
};

// The instant whose local civil time at that offset is `local`.
Timestamp TimestampOfLocal(const CivilTime& local, int32_t offsetMinutes);

// "2024-05-01T14:03:07.250+09:00"; an offset of 0 is "+00:00".
std::string IsoTimestamp(const Timestamp& time);
// "2024-05-01T14:03:07+09:00": to the second, as the journal's rows carry it.
std::string IsoTimestampToSecond(const Timestamp& time);
// "20240501-140307", the local time in a file name.
std::string FileNameTime(const Timestamp& time);
// "2024-05-01 14:03:07", the local time for people.
std::string LocalTimeText(const Timestamp& time);

// What ISO 8601 text a person or the journal gives: a date, optionally a clock time
// (hh:mm, hh:mm:ss, hh:mm:ss.fff; after "T" or a blank) and optionally an offset (Z,
// +hh:mm, -hh:mm, +hhmm). Digits beyond milliseconds are dropped.
struct IsoTime {
    CivilTime local;
    bool hasClock = false;
    std::optional<int32_t> offsetMinutes;
};
std::optional<IsoTime> ParseIsoTime(std::string_view text);

#pragma once

#include <cstdint>
#include <string_view>

namespace loom {

// A date and time of day as a calendar shows it. Fields may lie outside their ranges on
// the way in (day 30 of February); the conversions below carry them over as a calendar
// does (to 2 March).
struct CivilTime {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const CivilTime&) const = default;
};

// Proleptic Gregorian calendar in 64-bit arithmetic, valid far beyond 2038 and
// independent of the platform's time functions.
std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);
CivilTime civilFromDays(std::int64_t days);
// Seconds since 1970-01-01 00:00 of a calendar time taken as UTC, and back.
std::int64_t secondsFromCivil(const CivilTime& time);
CivilTime civilFromSeconds(std::int64_t seconds);
// 0 Sunday ... 6 Saturday.
int weekdayOf(std::int64_t year, std::int64_t month, std::int64_t day);
// The same time with every field carried into its range.
CivilTime normalized(const CivilTime& time);

// "januari" ... "december" for 1-12, "Söndag" ... "Lördag" for 0-6, in code page 1252;
// empty outside.
std::string_view swedishMonthName(int month);
std::string_view swedishWeekdayName(int weekday);

}  // namespace loom

#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace loom {

std::int64_t SystemClock::nowSeconds() const {
    // The system clock counts from 1 January 1970 UTC.
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

CivilTime SystemClock::toLocal(std::int64_t seconds) const {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
#ifdef _WIN32
    const bool ok = localtime_s(&tm, &t) == 0;
#else
    const bool ok = localtime_r(&t, &tm) != nullptr;
#endif
    // A time the platform cannot convert is shown as UTC rather than not at all.
    if (!ok) return civilFromSeconds(seconds);
    return CivilTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

std::int64_t SystemClock::fromLocal(const CivilTime& time) const {
    std::tm tm{};
    tm.tm_year = time.year - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    tm.tm_isdst = -1;  // let the zone's rules decide
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return secondsFromCivil(time);
    return static_cast<std::int64_t>(t);
}

}  // namespace loom

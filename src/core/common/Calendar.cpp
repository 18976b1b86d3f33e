#include "common/Calendar.h"

#include <array>
#include <string>

#include "common/Cp1252.h"
#include "common/Messages.h"

namespace loom {
namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

constexpr std::array<std::string_view, 7> kWeekdays = {"Söndag",  "Måndag", "Tisdag", "Onsdag",
                                                       "Torsdag", "Fredag", "Lördag"};

}  // namespace

std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    // Months outside 1-12 carry into the year first; days then simply add up.
    year += floorDiv(month - 1, 12);
    month = month - 1 - floorDiv(month - 1, 12) * 12 + 1;
    // Days from 1970-01-01, counting years from March so that leap days come last.
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + (day - 1);
}

CivilTime civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = floorDiv(days, 146097);
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    CivilTime out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2 ? 1 : 0));
    return out;
}

std::int64_t secondsFromCivil(const CivilTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * 86400 + std::int64_t{t.hour} * 3600 +
           std::int64_t{t.minute} * 60 + t.second;
}

CivilTime civilFromSeconds(std::int64_t seconds) {
    const std::int64_t days = floorDiv(seconds, 86400);
    const std::int64_t rest = seconds - days * 86400;
    CivilTime out = civilFromDays(days);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    return out;
}

int weekdayOf(std::int64_t year, std::int64_t month, std::int64_t day) {
    // 1970-01-01 was a Thursday.
    const std::int64_t days = daysFromCivil(year, month, day) + 4;
    return static_cast<int>(days - floorDiv(days, 7) * 7);
}

CivilTime normalized(const CivilTime& time) {
    return civilFromSeconds(secondsFromCivil(time));
}

std::string_view swedishMonthName(int month) {
    // The names are the catalogue's texts 16-27.
    return month >= 1 && month <= 12 ? messageText(static_cast<MessageId>(
                                           static_cast<int>(MessageId::MonthJanuary) + month - 1))
                                     : std::string_view{};
}

std::string_view swedishWeekdayName(int weekday) {
    // Held as code page 1252, like every text inside the program.
    static const std::array<std::string, 7> converted = [] {
        std::array<std::string, 7> out;
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = utf8ToCp1252(kWeekdays[i]);
        return out;
    }();
    return weekday >= 0 && weekday <= 6
               ? std::string_view(converted[static_cast<std::size_t>(weekday)])
               : std::string_view{};
}

}  // namespace loom

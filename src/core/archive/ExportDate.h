#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace loom {

class Clock;

// The start of the local day that "Ändrade efter" names as year-month-day: three parts
// of digits only, year 1900-2038, month 1-12, day 1-31. Days past a month's end carry
// over as the local-time conversion does (1997-02-30 is 2 March). Nothing for any other
// text.
std::optional<std::int64_t> parseExportDate(const Clock& clock, std::string_view text);

// Today's local date as LatestExport keeps it: "%Y-%m-%d".
std::string exportDateToday(const Clock& clock);

}  // namespace loom

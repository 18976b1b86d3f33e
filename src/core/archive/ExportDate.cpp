#include "archive/ExportDate.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "platform/Clock.h"

namespace loom {
namespace {

// A part of digits only, not empty; too many digits for an int fail the range checks.
std::optional<int> numberPart(std::string_view part) {
    if (part.empty()) return std::nullopt;
    for (const char c : part) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc() || end != part.data() + part.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::int64_t> parseExportDate(const Clock& clock, std::string_view text) {
    std::array<std::string_view, 3> parts;
    std::size_t count = 0;
    for (;;) {
        const std::size_t dash = text.find('-');
        if (count == parts.size()) return std::nullopt;
        parts[count++] = text.substr(0, dash);
        if (dash == std::string_view::npos) break;
        text.remove_prefix(dash + 1);
    }
    if (count != parts.size()) return std::nullopt;
    const std::optional<int> year = numberPart(parts[0]);
    const std::optional<int> month = numberPart(parts[1]);
    const std::optional<int> day = numberPart(parts[2]);
    if (!year || !month || !day || *year < 1900 || *year > 2038 || *month < 1 || *month > 12 ||
        *day < 1 || *day > 31)
        return std::nullopt;
    return clock.fromLocal(CivilTime{*year, *month, *day, 0, 0, 0});
}

std::string exportDateToday(const Clock& clock) {
    const CivilTime today = clock.toLocal(clock.nowSeconds());
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", today.year, today.month, today.day);
    return text;
}

}  // namespace loom

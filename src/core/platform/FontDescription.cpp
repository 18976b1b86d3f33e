#include "platform/FontDescription.h"

#include <array>

namespace loom {
namespace {

std::optional<bool> yesNo(std::string_view field) {
    if (field == "Y") return true;
    if (field == "N") return false;
    return std::nullopt;
}

// An optional "-" and at least one digit, nothing else, within [low, high]. Digits
// beyond the range's width cannot make a valid value and are not added up.
std::optional<int> integerWithin(std::string_view field, int low, int high) {
    const bool negative = field.starts_with('-');
    if (negative) field.remove_prefix(1);
    if (field.empty()) return std::nullopt;
    long value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
        if (value <= high) value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < low || value > high) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

std::optional<FontDescription> FontDescription::parse(std::string_view text) {
    std::array<std::string_view, 5> fields;
    for (std::string_view& field : fields) {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) return std::nullopt;
        field = text.substr(0, comma);
        text.remove_prefix(comma + 1);
    }
    const std::optional<bool> italic = yesNo(fields[0]);
    const std::optional<bool> underline = yesNo(fields[1]);
    const std::optional<bool> strikeout = yesNo(fields[2]);
    const std::optional<int> weight = integerWithin(fields[3], kLowestWeight, kHighestWeight);
    const std::optional<int> size = integerWithin(fields[4], kSmallestSize, kLargestSize);
    if (!italic || !underline || !strikeout || !weight || !size || text.empty())
        return std::nullopt;
    return FontDescription{*italic, *underline, *strikeout, *weight, *size, std::string(text)};
}

std::string FontDescription::format() const {
    const auto letter = [](bool on) { return on ? std::string("Y,") : std::string("N,"); };
    return letter(italic) + letter(underline) + letter(strikeout) + std::to_string(weight) + ',' +
           std::to_string(tenthsOfPoint) + ',' + face;
}

FontDescription storedPrintFont(const Settings& settings, PrintFont font) {
    if (auto stored = FontDescription::parse(settings.printFont(font))) return *stored;
    // The table's default always parses.
    return *FontDescription::parse(findSetting(printFontSetting(font))->textDefault);
}

}  // namespace loom

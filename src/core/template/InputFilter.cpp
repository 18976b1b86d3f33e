#include "template/InputFilter.h"

#include <cstdint>

#include "fields/ValueScale.h"

namespace loom {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool allowed(int filter, char c) {
    switch (filter) {
        case 1:
        case 5:
            return isDigit(c);
        case 2:
            return isHexDigit(c);
        case 3:
            return c == '0' || c == '1';
        case 4:
            return (c >= '0' && c <= '4') || c == 'F' || c == 'f';
        default:  // 0 and unknown filters allow anything
            return true;
    }
}

std::string upperHex(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

// Only digits make a number here; anything else (a text set by a rule, an empty field)
// rounds to the scale's first entry.
std::string onScale(std::string_view text) {
    std::uint64_t v = 0;
    for (char c : text) {
        if (!isDigit(c)) return "0";
        // Saturate: every number above the last entry lands on the last entry anyway.
        if (v < 1'000'000'000'000ULL) v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return std::to_string(ValueScale::entry(nearestScaleIndex(v)));
}

}  // namespace

bool InputFilter::accepts(std::string_view text) const {
    for (char c : text) {
        if (!allowed(number_, c)) return false;
    }
    return true;
}

std::string InputFilter::corrected(std::string_view text) const {
    switch (number_) {
        case 2:
        case 4:
            return upperHex(text);
        case 5:
            return onScale(text);
        default:
            return std::string(text);
    }
}

}  // namespace loom

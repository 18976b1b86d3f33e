#pragma once

#include <cstdint>
#include <string>

namespace loom {

// A colour of the event log window, 8 bits per component.
struct LogColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const LogColour&) const = default;

    static constexpr LogColour black() { return {0, 0, 0}; }
    static constexpr LogColour white() { return {0xFF, 0xFF, 0xFF}; }

    // "#RRGGBB", upper-case digits.
    std::string hex() const {
        constexpr char kDigits[] = "0123456789ABCDEF";
        std::string text = "#";
        for (const std::uint8_t c : {red, green, blue}) {
            text += kDigits[c >> 4];
            text += kDigits[c & 15];
        }
        return text;
    }
};

}  // namespace loom

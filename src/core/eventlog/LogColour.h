#pragma once

#include <cstdint>

namespace loom {

// A colour of the event log window, 8 bits per component.
struct LogColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const LogColour&) const = default;

    static constexpr LogColour black() { return {0, 0, 0}; }
    static constexpr LogColour white() { return {0xFF, 0xFF, 0xFF}; }
};

}  // namespace loom

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace loom {

// One record of the panel's event log: the event code, the time (seconds, minutes,
// hours, day, month, year - 2000) and nine bytes of event data.
struct LogRecord {
    static constexpr std::size_t kSize = 16;
    static constexpr std::uint8_t kMissing = 0xFF;

    std::array<std::uint8_t, kSize> bytes{};

    std::uint8_t code() const { return bytes[0]; }
    // Decoding steps name offsets from the template; one past the record reads as erased
    // memory, so a step that reaches beyond the 16 bytes sees 0xFF instead of a neighbour.
    std::uint8_t at(std::uint64_t offset) const {
        return offset < kSize ? bytes[static_cast<std::size_t>(offset)] : kMissing;
    }
    bool allErased() const {
        for (std::uint8_t b : bytes)
            if (b != kMissing) return false;
        return true;
    }
    bool operator==(const LogRecord&) const = default;
};

}  // namespace loom

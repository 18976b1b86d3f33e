#pragma once

#include <array>
#include <cstdint>

namespace loom {

// One 16-byte block of a PROM image: the unit the panel is written in.
struct PromBlock {
    static constexpr std::uint32_t kSize = 16;

    std::array<std::uint8_t, kSize> data{};
    std::uint32_t address = 0;  // a multiple of 16

    bool operator==(const PromBlock&) const = default;
};

}  // namespace loom

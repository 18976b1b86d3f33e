#pragma once

#include <array>
#include <cstdint>

namespace loom {

// One block of PROM data handed from the worker to the document, which owns it from then
// on. Address -1 marks the end of the PROM data.
struct ReceivedBlock {
    std::array<std::uint8_t, 16> data{};
    std::int32_t address = -1;
};

}  // namespace loom

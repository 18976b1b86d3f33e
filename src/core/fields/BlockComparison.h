#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fields/PromImage.h"

namespace loom {

// What reading a written PROM back found: how many blocks the write sent (a block of
// sixteen 0xFF is never sent, so it is not compared) and which of them came back with
// other bytes, in ascending address order.
struct BlockComparison {
    std::size_t compared = 0;
    std::vector<std::uint32_t> differing;

    bool identical() const { return differing.empty(); }
};

// Compares every block of `sent` that holds data with the same bytes of `read`.
BlockComparison compareSentBlocks(const PromImage& sent, const PromImage& read);

// A block's address as the check lists it: five hexadecimal digits, "00020".
std::string blockAddressText(std::uint32_t address);

}  // namespace loom

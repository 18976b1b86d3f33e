#include "fields/BlockComparison.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace loom {

BlockComparison compareSentBlocks(const PromImage& sent, const PromImage& read) {
    BlockComparison result;
    for (const PromBlock& block : sent.blocks()) {
        if (std::all_of(block.data.begin(), block.data.end(),
                        [](std::uint8_t b) { return b == PromImage::kErased; }))
            continue;
        ++result.compared;
        std::array<std::uint8_t, PromBlock::kSize> back{};
        read.readInto(block.address, back);
        if (back != block.data) result.differing.push_back(block.address);
    }
    return result;
}

std::string blockAddressText(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%05X", static_cast<unsigned>(address));
    return text;
}

}  // namespace loom

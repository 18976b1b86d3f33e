#include "conversion/ConversionBuffer.h"

#include <algorithm>

namespace loom {

void ConversionBuffer::set(std::uint64_t address, std::uint8_t value) {
    if (address >= kMaxSize) return;
    if (address >= bytes_.size()) {
        std::size_t size = bytes_.size();
        while (size <= address)
            size *= 2;
        bytes_.resize(size, kErased);
        written_.resize(size >> kStretchShift);
    }
    bytes_[static_cast<std::size_t>(address)] = value;
    written_[static_cast<std::size_t>(address >> kStretchShift)] = true;
}

std::vector<PromBlock> ConversionBuffer::blocks() const {
    std::vector<PromBlock> out;
    constexpr std::size_t kStretch = std::size_t{1} << kStretchShift;
    for (std::size_t stretch = 0; stretch < written_.size(); ++stretch) {
        if (!written_[stretch]) continue;
        for (std::size_t at = stretch * kStretch; at < (stretch + 1) * kStretch;
             at += PromBlock::kSize) {
            const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(at);
            const auto last = first + PromBlock::kSize;
            if (std::all_of(first, last, [](std::uint8_t b) { return b == kErased; })) continue;
            PromBlock block;
            std::copy(first, last, block.data.begin());
            block.address = static_cast<std::uint32_t>(at);
            out.push_back(block);
        }
    }
    return out;
}

}  // namespace loom

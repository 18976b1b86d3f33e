#include "conversion/ConversionBuffer.h"

namespace loom {

void ConversionBuffer::set(std::uint64_t address, std::uint8_t value) {
    if (address >= kMaxSize) return;
    if (address >= bytes_.size()) {
        std::size_t size = bytes_.size();
        while (size <= address)
            size *= 2;
        bytes_.resize(size, kErased);
    }
    bytes_[static_cast<std::size_t>(address)] = value;
}

}  // namespace loom

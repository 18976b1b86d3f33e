#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fields/PromBlock.h"

namespace loom {

// A flat PROM image for a conversion program: it starts at 64 KB of erased bytes and
// doubles when a write lands beyond it, up to 1 MB. Reads beyond the bytes held give 0xFF;
// writes at 1 MB or beyond are dropped, so no conversion file can make it grow further.
class ConversionBuffer {
  public:
    static constexpr std::size_t kInitialSize = std::size_t{1} << 16;
    static constexpr std::size_t kMaxSize = std::size_t{1} << 20;
    static constexpr std::uint8_t kErased = 0xFF;

    ConversionBuffer() : bytes_(kInitialSize, kErased) {}

    std::uint8_t get(std::uint64_t address) const {
        return address < bytes_.size() ? bytes_[static_cast<std::size_t>(address)] : kErased;
    }
    void set(std::uint64_t address, std::uint8_t value);

    std::size_t size() const { return bytes_.size(); }
    // The 16-byte blocks that hold anything but erased bytes, in address order. Only the
    // stretches written to are looked at, so a mostly empty megabyte costs little.
    std::vector<PromBlock> blocks() const;

  private:
    static constexpr unsigned kStretchShift = 10;

    std::vector<std::uint8_t> bytes_;
    std::vector<bool> written_ = std::vector<bool>(kInitialSize >> kStretchShift);
};

}  // namespace loom

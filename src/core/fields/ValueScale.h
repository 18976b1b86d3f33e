#pragma once

#include <array>
#include <cstdint>

namespace loom {

// The panel's fixed scale of 256 increasing whole numbers. Value type 6 stores the index
// of an entry; the value input filter rounds typed numbers onto the scale.
class ValueScale {
  public:
    static constexpr std::size_t kEntryCount = 256;

    static const std::array<std::uint32_t, kEntryCount>& entries();
    static std::uint32_t entry(std::size_t index) { return entries()[index]; }

    // Index of the entry nearest to v. A tie goes to the higher entry; a number above
    // the last entry gives 255.
    static unsigned nearestIndex(std::uint64_t v);
};

// Free-function spelling used by the value input filter.
inline unsigned nearestScaleIndex(std::uint64_t v) {
    return ValueScale::nearestIndex(v);
}

}  // namespace loom

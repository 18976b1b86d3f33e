#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "fields/FieldRecord.h"

namespace loom {

// Texts naming the panel's numbered items (areas, units...), filled from the address-less
// records of the last data file read: number 10000 + 25 * i names item i.
class LabelTable {
  public:
    static constexpr std::size_t kSize = 255;

    void clear();
    // The index that a record at `address` fills, or nothing.
    static std::optional<std::size_t> indexFor(FieldAddress address);
    void set(std::size_t index, std::string text);
    // Empty for an index that is out of range or not set.
    const std::string& text(std::size_t index) const;
    // The text, or the number itself ("%d") where the text is empty.
    std::string nameOf(std::size_t index) const;

  private:
    std::array<std::string, kSize> texts_;
};

}  // namespace loom

#pragma once

#include <cstdint>
#include <string_view>

#include "fields/FieldStore.h"
#include "fields/PromImage.h"

namespace loom {

// Turns a system's values into the PROM image written to the panel, and a PROM image
// read from the panel back into values.
class PromImageBuilder {
  public:
    // Every PROM field (address bit 31 clear) is encoded in the store's order; a value that
    // does not parse is left out without a word, as the panel keeps its erased bytes then.
    static void addFields(const FieldStore& store, PromImage& image);
    static PromImage build(const FieldStore& store);

    // 8 bytes at a byte address: the characters cut to 8, 0x20 for each missing one. A
    // negative address (the template has no such position) writes nothing.
    static void writeText8(PromImage& image, std::int64_t address, std::string_view text);
    // The panel's product text goes in without its first 8 characters.
    static void writeProductText(PromImage& image, std::int64_t address,
                                 std::string_view productText);

    // Every PROM field takes the value decoded from the image; one that does not decode
    // keeps its value. Address-less records are removed. Returns how many values changed.
    static std::size_t fillStore(FieldStore& store, const PromImage& image);
};

}  // namespace loom

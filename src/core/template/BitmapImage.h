#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "template/BitmapLookup.h"

namespace loom {

// A picture decoded from a bitmap file: what the program keeps of it for sizing and
// painting a picture control.
struct BitmapImage {
    int width = 0;
    int height = 0;  // rows; a file stored top-down has a negative height, kept positive here
    int bitsPerPixel = 0;
    // Bytes of pixel data: the header's image size field, or rows × row size without it.
    std::uint32_t imageSize = 0;
    // The colour table, which is also the palette: 0xFFRRGGBB per entry. Empty for a
    // picture without one (16, 24 and 32 bits per pixel with no count of colours used).
    std::vector<std::uint32_t> colourTable;
    // width × height pixels as 0xFFRRGGBB, top row first, left to right.
    std::vector<std::uint32_t> pixels;

    BitmapSize size() const { return {width, height}; }
    std::uint32_t pixel(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

}  // namespace loom

#pragma once

#include <cstdint>
#include <vector>

namespace loom::test {

// A bitmap file laid out byte by byte as a writer makes one; fields are written as given,
// so that tests can make them lie.
struct BitmapBytes {
    BitmapBytes(std::int32_t w, std::int32_t h, std::uint16_t b) : width(w), height(h), bits(b) {}

    std::int32_t width;
    std::int32_t height;
    std::uint16_t bits;
    std::uint32_t compression = 0, coloursUsed = 0;
    std::vector<std::uint32_t> table;             // 0xRRGGBB, written as blue, green, red, 0
    std::vector<std::vector<std::uint8_t>> rows;  // as stored, in file order, unpadded

    // One row of 24-bit pixels (0xRRGGBB each).
    static std::vector<std::uint8_t> row24(const std::vector<std::uint32_t>& colours) {
        std::vector<std::uint8_t> out;
        for (std::uint32_t c : colours)
            out.insert(out.end(), {byte(c), byte(c >> 8), byte(c >> 16)});
        return out;
    }

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out{'B', 'M'};
        std::vector<std::uint8_t> body;
        for (std::uint32_t c : table)
            body.insert(body.end(), {byte(c), byte(c >> 8), byte(c >> 16), 0});
        for (const auto& r : rows) {
            body.insert(body.end(), r.begin(), r.end());
            body.resize(body.size() + (4 - r.size() % 4) % 4, 0);
        }
        le32(out, static_cast<std::uint32_t>(54 + body.size()));
        le32(out, 0);
        le32(out, static_cast<std::uint32_t>(54 + 4 * table.size()));
        le32(out, 40);
        le32(out, static_cast<std::uint32_t>(width));
        le32(out, static_cast<std::uint32_t>(height));
        out.insert(out.end(), {1, 0, byte(bits), byte(bits >> 8)});
        for (std::uint32_t v : {compression, 0u, 2835u, 2835u, coloursUsed, 0u})
            le32(out, v);
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }

  private:
    static std::uint8_t byte(std::uint32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
    static void le32(std::vector<std::uint8_t>& out, std::uint32_t v) {
        out.insert(out.end(), {byte(v), byte(v >> 8), byte(v >> 16), byte(v >> 24)});
    }
};

}  // namespace loom::test

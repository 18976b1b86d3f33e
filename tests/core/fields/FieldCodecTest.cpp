#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fields/FieldCodec.h"
#include "support/HexBytes.h"

namespace loom {
namespace {

using test::hexBytes;
using test::hexString;
using R = CodecResult;

constexpr FieldAddress at(std::uint32_t byte, unsigned bit) {
    return (byte << 3) | bit;
}

struct PlaceCase {
    unsigned type;
    std::string text;
    unsigned offset;
    std::uint32_t bits;
    std::string over;    // bytes at address 0 before
    std::string placed;  // the same bytes after
};

TEST(FieldCodec, PlacesBitsAndKeepsTheirNeighbours) {
    const PlaceCase cases[] = {
        {0, "0", 2, 3, "FF", "E3"},
        {0, "171", 4, 8, "00 00", "B0 0A"},
        {0, "171", 4, 8, "FF FF", "BF FA"},
        {0, "1", 7, 1, "00", "80"},
        {0, "0", 0, 8, "FF 55", "00 55"},
        {4, "1", 7, 2, "00 00", "80 00"},
        {4, "11", 6, 4, "81 1B", "C1 18"},
        {2, "12", 4, 16, "0F F0 00", "2F F1 0F"},  // packed 12 FF, one nibble up
        {5, "\xC5", 0, 16, "00 00 00", "8F 20 00"},
        {1, "ABC", 3, 12, "FF FF", "E7 D5"},
    };
    for (const auto& c : cases) {
        PromImage image;
        image.write(0, hexBytes(c.over));
        const auto n = static_cast<std::uint32_t>(hexBytes(c.over).size());
        SCOPED_TRACE("type " + std::to_string(c.type) + " '" + c.text + "' at bit " +
                     std::to_string(c.offset));
        ASSERT_EQ(Encode(c.type, c.text, at(0, c.offset), c.bits, image), R::Ok);
        EXPECT_EQ(hexString(image.read(0, n)), c.placed);
    }
}

TEST(FieldCodec, EveryOffsetAndSizeRoundTripsAndLeavesOtherBitsAlone) {
    // A binary pattern at every offset, sizes across byte edges, over a mixed background:
    // only the field's bits may change, and decoding gives the text back.
    const std::vector<std::uint8_t> before(12, 0xA5);
    for (unsigned k = 0; k < 8; ++k) {
        for (std::uint32_t bits = 1; bits <= 41; ++bits) {
            std::string text = "1";  // format drops leading zeros
            for (std::uint32_t j = 1; j < bits; ++j)
                text.push_back("1101"[j % 4]);
            PromImage image;
            image.write(100, before);
            ASSERT_EQ(Encode(4, text, at(101, k), bits, image), R::Ok);
            const auto after = image.read(100, 12);
            for (std::uint32_t bit = 0; bit < 96; ++bit) {
                const bool inField = bit >= 8 + k && bit < 8 + k + bits;
                const unsigned want = inField ? text[bits - 1 - (bit - 8 - k)] == '1'
                                              : (before[bit / 8] >> (bit % 8)) & 1u;
                EXPECT_EQ((after[bit / 8] >> (bit % 8)) & 1u, want)
                    << "bit " << bit << " offset " << k << " size " << bits;
            }
            std::string back;
            ASSERT_EQ(Decode(4, at(101, k), bits, image, back), R::Ok);
            EXPECT_EQ(back, text);
        }
    }
}

TEST(FieldCodec, NormaliseMatchesARoundTripThroughAnImage) {
    const struct {
        unsigned type;
        std::uint32_t bits;
        std::string value;
        bool ok;
        std::string normal;
    } cases[] = {
        {0, 4, "17", true, "1"},
        {0, 16, "007", true, "7"},
        {1, 8, "0a", true, "A"},
        {2, 12, "123", true, "120"},
        {5, 40, "\xC5ke ", true, "\xC5ke"},
        {6, 8, "23", true, "30"},
        {7, 16, "12", true, ""},
        {8, 4, "0", true, "1"},
        {9, 8, "0", true, "1"},
        {4, 4, "10001", false, ""},
        {0, 8, "x", false, ""},
        {12, 8, "1", false, ""},
    };
    for (const auto& c : cases) {
        FieldRecord r;
        r.address = at(7, 3);
        r.size = c.bits;
        r.type = static_cast<std::uint8_t>(c.type);
        r.value = c.value;
        std::string out = "kept";
        EXPECT_EQ(normaliseValue(r, out), c.ok) << c.type << " " << c.value;
        EXPECT_EQ(out, c.ok ? c.normal : "kept") << c.type << " " << c.value;
        if (!c.ok) continue;
        PromImage scratch;
        std::string viaImage;
        ASSERT_EQ(Encode(c.type, c.value, r.address, r.size, scratch), R::Ok);
        ASSERT_EQ(Decode(c.type, r.address, r.size, scratch, viaImage), R::Ok);
        EXPECT_EQ(viaImage, out);
    }
}

}  // namespace
}  // namespace loom

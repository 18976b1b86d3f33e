#include <gtest/gtest.h>

#include <vector>

#include "fields/PromImage.h"
#include "support/HexBytes.h"

namespace loom {
namespace {

using test::hexBytes;
using test::hexString;

std::vector<std::uint32_t> blockAddresses(const PromImage& image) {
    std::vector<std::uint32_t> out;
    for (const PromBlock& b : image.blocks())
        out.push_back(b.address);
    return out;
}

TEST(PromImage, WriteTouchesEveryBlockItCrossesAndKeepsTheRestErased) {
    PromImage image;
    EXPECT_EQ(hexString(image.read(0x1234, 3)), "FF FF FF");
    image.write(0x20, {});
    EXPECT_TRUE(image.blocks().empty());
    image.write(14, hexBytes("01 02 03"));
    EXPECT_EQ(blockAddresses(image), (std::vector<std::uint32_t>{0, 16}));
    const auto blocks = image.blocks();
    EXPECT_EQ(hexString(blocks[0].data), "FF FF FF FF FF FF FF FF FF FF FF FF FF FF 01 02");
    EXPECT_EQ(hexString(blocks[1].data), "03 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    EXPECT_EQ(hexString(image.read(12, 8)), "FF FF 01 02 03 FF FF FF");
}

TEST(PromImage, BlocksComeInAscendingAddressOrderAndNothingIsBeyondTheLastAddress) {
    PromImage image;
    for (std::uint32_t a : {0x10000u, 0x3F0u, 0x20u, 0x0u, 0xFFFFFFF0u, 0x10u})
        image.write(a, hexBytes("AA"));
    EXPECT_EQ(blockAddresses(image),
              (std::vector<std::uint32_t>{0x0, 0x10, 0x20, 0x3F0, 0x10000, 0xFFFFFFF0}));
    image.write(0xFFFFFFFE, hexBytes("01 02 03 04"));
    EXPECT_EQ(image.blockCount(), 6u);
    EXPECT_EQ(hexString(image.read(0xFFFFFFFE, 4)), "01 02 FF FF");
    EXPECT_EQ(image.at(1), 0xFF);  // no wrap to address 0
}

}  // namespace
}  // namespace loom

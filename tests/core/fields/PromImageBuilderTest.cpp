#include <gtest/gtest.h>

#include "fields/PromImageBuilder.h"
#include "support/HexBytes.h"

namespace loom {
namespace {

using test::hexString;

constexpr FieldAddress at(std::uint32_t byte, unsigned bit) {
    return (byte << 3) | bit;
}

TEST(PromImageBuilder, EncodesPromFieldsAndSilentlySkipsTheRest) {
    FieldStore store;
    store.copyIn({at(0, 0), 8, 0, 0, "171"});
    store.copyIn({at(1, 4), 4, 1, 0, "C"});
    store.copyIn({at(1, 0), 4, 1, 0, "G"});                    // bad character: left out
    store.copyIn({at(2, 0), 16, 5, 0, "\xC5ke"});              // too long: left out
    store.copyIn({kAddresslessBit | at(0, 0), 8, 0, 0, "5"});  // no place in the PROM
    const PromImage image = PromImageBuilder::build(store);
    EXPECT_EQ(hexString(image.read(0, 4)), "AB CF FF FF");
    EXPECT_EQ(image.blockCount(), 1u);
}

TEST(PromImageBuilder, WritesEightByteTextsPaddedAndCut) {
    PromImage image;
    PromImageBuilder::writeText8(image, 32, "AB");
    PromImageBuilder::writeText8(image, 48, "0123456789");
    PromImageBuilder::writeText8(image, -1, "XY");
    PromImageBuilder::writeProductText(image, 64, "MODELXYZv3.1");
    PromImageBuilder::writeProductText(image, 80, "short");
    EXPECT_EQ(hexString(image.read(32, 8)), "41 42 20 20 20 20 20 20");
    EXPECT_EQ(hexString(image.read(48, 8)), "30 31 32 33 34 35 36 37");
    EXPECT_EQ(hexString(image.read(64, 8)), "76 33 2E 31 20 20 20 20");
    EXPECT_EQ(hexString(image.read(80, 8)), "20 20 20 20 20 20 20 20");
    EXPECT_EQ(image.blockCount(), 4u);
}

TEST(PromImageBuilder, FillingFromAnImageDecodesKeepsFailuresAndDropsAddresslessRecords) {
    PromImage image;
    image.write(0, test::hexBytes("05 12 FF 00"));
    FieldStore store;
    FieldRecord& number = store.copyIn({at(0, 0), 8, 0, 0, "9"});
    FieldRecord& same = store.copyIn({at(1, 0), 8, 2, 0, "12"});
    FieldRecord& badSize = store.copyIn({at(3, 0), 9, 5, 0, "kept"});
    FieldRecord& erased = store.copyIn({at(2, 0), 8, 5, 0, "was"});
    store.copyIn({kAddresslessBit | at(3, 0), 8, 0, 0, "x"});

    EXPECT_EQ(PromImageBuilder::fillStore(store, image), 2u);
    EXPECT_EQ(number.value, "5");
    EXPECT_EQ(same.value, "12");
    EXPECT_EQ(badSize.value, "kept");
    EXPECT_EQ(erased.value, "");
    EXPECT_EQ(store.size(), 4u);
    EXPECT_EQ(store.find(kAddresslessBit | at(3, 0)), nullptr);
}

}  // namespace
}  // namespace loom

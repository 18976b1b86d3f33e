#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "support/BitmapBytes.h"
#include "support/MessageText.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"
#include "template/BitmapReader.h"

namespace loom {
namespace {

using test::BitmapBytes;

TEST(BitmapReaderTest, DecodesEveryDepthTopRowFirst) {
    // The 2 x 2 pixels, top row first, as 0xRRGGBB.
    auto check = [](const char* name, const BitmapBytes& b, std::size_t tableSize,
                    std::vector<std::uint32_t> topDown) {
        SCOPED_TRACE(name);
        BitmapImage image;
        ASSERT_EQ(BitmapReader::decode(b.bytes(), image), BitmapFailure::None);
        EXPECT_EQ(image.size(), (BitmapSize{2, 2}));
        EXPECT_EQ(image.colourTable.size(), tableSize);
        for (std::uint32_t& p : topDown)
            p |= 0xFF000000u;
        EXPECT_EQ(image.pixels, topDown);
        EXPECT_EQ(image.imageSize, 2 * ((2 * b.bits + 31) / 32 * 4));  // rows padded to words
    };
    BitmapBytes b1(2, 2, 1);
    b1.table = {0x112233, 0xAABBCC};
    b1.rows = {{0x40}, {0x80}};  // bottom row: 0 1; top row: 1 0
    check("1bit", b1, 2, {0xAABBCC, 0x112233, 0x112233, 0xAABBCC});
    BitmapBytes b8(2, 2, 8);  // no count of colours used: 256 entries
    for (std::uint32_t i = 0; i < 256; ++i)
        b8.table.push_back(i == 200 ? 0xC0FFEE : 0x010101u * i);
    b8.rows = {{200, 7}, {7, 200}};
    check("8bit", b8, 256, {0x070707, 0xC0FFEE, 0xC0FFEE, 0x070707});
    BitmapBytes b16(2, 2, 16);
    b16.rows = {{0x00, 0x7C, 0xE0, 0x03}, {0x1F, 0x00, 0xFF, 0x7F}};  // 5-5-5, little-endian
    check("16bit", b16, 0, {0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00});
    BitmapBytes b24(2, 2, 24);
    b24.rows = {BitmapBytes::row24({0x010203, 0x040506}), BitmapBytes::row24({0xA0B0C0, 0xD0E0F0})};
    check("24bit", b24, 0, {0xA0B0C0, 0xD0E0F0, 0x010203, 0x040506});
    b24.height = -2;  // stored top-down
    check("24bitTopDown", b24, 0, {0x010203, 0x040506, 0xA0B0C0, 0xD0E0F0});
}

TEST(BitmapReaderTest, RefusesWhatTheFileCannotHoldWithItsMessage) {
    BitmapBytes good(2, 2, 24);
    good.rows = {BitmapBytes::row24({1, 2}), BitmapBytes::row24({3, 4})};
    auto with = [&](auto change) {
        BitmapBytes b = good;
        change(b);
        return b.bytes();
    };
    const std::vector<std::uint8_t> whole = good.bytes();
    std::vector<std::uint8_t> cut(whole.begin(), whole.end() - 1);

    using F = BitmapFailure;
    const std::map<F, MessageId> messages = {{F::Empty, MessageId::EmptyBitmapFile},
                                             {F::Invalid, MessageId::InvalidBitmapFile},
                                             {F::Refused, MessageId::AttachMemoryError}};
    const struct {
        std::string name;
        std::vector<std::uint8_t> bytes;
        F failure;
    } cases[] = {
        {"zero bytes", {}, F::Empty},
        {"last pixel byte missing", cut, F::Invalid},
        {"colour table missing", with([](BitmapBytes& b) { b.coloursUsed = 256; }), F::Invalid},
        {"zero width", with([](BitmapBytes& b) { b.width = 0; }), F::Refused},
        {"rows overflowing 32 bits", with([](BitmapBytes& b) { b.width = INT_MAX; }), F::Refused},
        {"compressed", with([](BitmapBytes& b) { b.compression = 1; }), F::Refused},
    };
    test::TempDir dir;
    LocalFileSystem files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapImage image;
        EXPECT_EQ(BitmapReader::decode(c.bytes, image), c.failure);
        EXPECT_TRUE(image.pixels.empty());

        test::RecordingPrompt prompt;
        BitmapFailure failure = BitmapFailure::None;
        EXPECT_FALSE(BitmapReader::read(files, dir.write("x.bmp", c.bytes), prompt, &failure));
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(prompt.texts(), std::vector<std::string>{test::text(messages.at(c.failure))});
    }
}

}  // namespace
}  // namespace loom

#include "template/BitmapReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "common/Messages.h"
#include "platform/FileSystem.h"
#include "support/BitmapBytes.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

namespace loom {
namespace {

using test::BitmapBytes;

std::string messageOf(MessageId id) {
    return cp1252ToUtf8(std::string(messageText(id)));
}

// A table of `n` entries where entry i is 0x010101 × i.
std::vector<std::uint32_t> greys(std::size_t n) {
    std::vector<std::uint32_t> t;
    for (std::uint32_t i = 0; i < n; ++i)
        t.push_back(0x010101u * i);
    return t;
}

struct DepthCase {
    std::string name;
    BitmapBytes file;
    std::size_t tableSize;
    std::vector<std::uint32_t> topDown;  // the 2 × 2 pixels, top row first, as 0xRRGGBB
};

std::vector<DepthCase> depthCases() {
    std::vector<DepthCase> cases;
    {
        BitmapBytes b(2, 2, 1);
        b.table = {0x112233, 0xAABBCC};
        b.rows = {{0x40}, {0x80}};  // bottom row: 0 1; top row: 1 0
        cases.push_back({"1bit", b, 2, {0xAABBCC, 0x112233, 0x112233, 0xAABBCC}});
    }
    {
        BitmapBytes b(2, 2, 4);
        b.table = greys(16);
        b.table[3] = 0x123456;
        b.table[10] = 0xFEDCBA;
        b.rows = {{0x3A}, {0xA3}};
        cases.push_back({"4bit", b, 16, {0xFEDCBA, 0x123456, 0x123456, 0xFEDCBA}});
    }
    {
        // No count of colours used: 256 entries, and an index the table lacks is black.
        BitmapBytes b(2, 2, 8);
        b.table = greys(256);
        b.table[200] = 0xC0FFEE;
        b.rows = {{200, 7}, {7, 200}};
        cases.push_back({"8bit", b, 256, {0x070707, 0xC0FFEE, 0xC0FFEE, 0x070707}});
    }
    {
        BitmapBytes b(2, 2, 16);
        b.rows = {{0x00, 0x7C, 0xE0, 0x03}, {0x1F, 0x00, 0xFF, 0x7F}};  // 5-5-5, little-endian
        cases.push_back({"16bit", b, 0, {0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00}});
    }
    {
        BitmapBytes b(2, 2, 24);
        b.rows = {BitmapBytes::row24({0x010203, 0x040506}),
                  BitmapBytes::row24({0xA0B0C0, 0xD0E0F0})};
        cases.push_back({"24bit", b, 0, {0xA0B0C0, 0xD0E0F0, 0x010203, 0x040506}});
        b.height = -2;  // stored top-down
        cases.push_back({"24bitTopDown", b, 0, {0x010203, 0x040506, 0xA0B0C0, 0xD0E0F0}});
    }
    {
        BitmapBytes b(2, 2, 32);
        b.rows = {{3, 2, 1, 0x55, 6, 5, 4, 0}, {9, 8, 7, 0xFF, 0xC, 0xB, 0xA, 0}};
        cases.push_back({"32bit", b, 0, {0x070809, 0x0A0B0C, 0x010203, 0x040506}});
    }
    return cases;
}

TEST(BitmapReaderTest, DecodesEveryDepthTopRowFirst) {
    for (const DepthCase& c : depthCases()) {
        SCOPED_TRACE(c.name);
        BitmapImage image;
        ASSERT_EQ(BitmapReader::decode(c.file.bytes(), image), BitmapFailure::None);
        EXPECT_EQ(image.size(), (BitmapSize{2, 2}));
        EXPECT_EQ(image.colourTable.size(), c.tableSize);
        std::vector<std::uint32_t> want;
        for (std::uint32_t p : c.topDown)
            want.push_back(0xFF000000u | p);
        EXPECT_EQ(image.pixels, want);
        // Rows of 2 pixels padded to whole words.
        EXPECT_EQ(image.imageSize, 2 * ((2 * c.file.bits + 31) / 32 * 4));
    }
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
    std::vector<std::uint8_t> notBm = whole;
    notBm[0] = 'X';

    const std::string empty = messageOf(MessageId::EmptyBitmapFile),
                      invalid = messageOf(MessageId::InvalidBitmapFile),
                      refused = messageOf(MessageId::AttachMemoryError);
    struct Case {
        std::string name;
        std::vector<std::uint8_t> bytes;
        BitmapFailure failure;
        std::string message;
    };
    const Case cases[] = {
        {"zero bytes", {}, BitmapFailure::Empty, empty},
        {"not BM", notBm, BitmapFailure::Invalid, invalid},
        {"last pixel byte missing", cut, BitmapFailure::Invalid, invalid},
        {"colour table missing", with([](BitmapBytes& b) { b.coloursUsed = 256; }),
         BitmapFailure::Invalid, invalid},
        {"zero width", with([](BitmapBytes& b) { b.width = 0; }), BitmapFailure::Refused, refused},
        {"over the pixel cap", with([](BitmapBytes& b) { b.width = b.height = 4097; }),
         BitmapFailure::Refused, refused},
        {"rows overflowing 32 bits", with([](BitmapBytes& b) {
             b.width = INT_MAX;
             b.height = 1;
         }),
         BitmapFailure::Refused, refused},
        {"compressed", with([](BitmapBytes& b) { b.compression = 1; }), BitmapFailure::Refused,
         refused},
    };
    test::TempDir dir;
    LocalFileSystem files;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapImage image;
        EXPECT_EQ(BitmapReader::decode(c.bytes, image), c.failure);
        EXPECT_TRUE(image.pixels.empty());

        test::RecordingPrompt prompt;
        BitmapFailure failure = BitmapFailure::None;
        EXPECT_FALSE(BitmapReader::read(files, dir.write("x.bmp", c.bytes), prompt, &failure));
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(prompt.texts(), std::vector<std::string>{c.message});
    }
}

}  // namespace
}  // namespace loom

#include "template/BitmapCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/BitmapBytes.h"
#include "support/FailingFileSystem.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

namespace loom {
namespace {

std::vector<std::uint8_t> picture(std::int32_t width, std::int32_t height) {
    test::BitmapBytes b(width, height, 8);
    b.table = {0x000000, 0xFF8000};
    b.coloursUsed = 2;
    b.rows.assign(static_cast<std::size_t>(height), std::vector<std::uint8_t>(width, 1));
    return b.bytes();
}

class BitmapCacheTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::FailingFileSystem files;
    test::RecordingPrompt prompt;
    BitmapCache cache{files, prompt};
};

TEST_F(BitmapCacheTest, OpensEachNameOnceAndRetriesAFailedOneWithItsMessage) {
    const std::string good = dir.write("a.bmp", picture(3, 2));
    EXPECT_EQ(cache.find("a.bmp", good), (BitmapSize{3, 2}));
    EXPECT_EQ(cache.find("a.bmp", good), (BitmapSize{3, 2}));
    EXPECT_EQ(files.openReadCalls(), 1);
    ASSERT_NE(cache.image("a.bmp"), nullptr);
    EXPECT_EQ(cache.image("a.bmp")->pixel(2, 1), 0xFFFF8000u);
    EXPECT_EQ(cache.image("A.BMP"), nullptr);  // names are compared as given

    const std::string broken = dir.write("b.bmp", {'B', 'M', 1});
    EXPECT_FALSE(cache.find("b.bmp", broken));
    EXPECT_FALSE(cache.find("b.bmp", broken));
    EXPECT_EQ(files.openReadCalls(), 3);
    EXPECT_EQ(prompt.texts(),
              (std::vector<std::string>{"Invalid bitmap file", "Invalid bitmap file"}));
    EXPECT_EQ(cache.image("b.bmp"), nullptr);

    // Mended on the disk, it is found at the next lookup.
    dir.write("b.bmp", picture(1, 1));
    EXPECT_EQ(cache.find("b.bmp", broken), (BitmapSize{1, 1}));
    EXPECT_EQ(cache.count(), 2u);
}

}  // namespace
}  // namespace loom

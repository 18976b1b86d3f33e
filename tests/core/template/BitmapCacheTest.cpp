#include "template/BitmapCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/BitmapBytes.h"
#include "support/FailingFileSystem.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TemplateWriter.h"
#include "template/TreeOutline.h"

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

// The template reader looks up every picture control, sized by its rectangle or not, so
// that each control has the bitmap it paints; two controls share one read.
TEST_F(BitmapCacheTest, ATemplateLoadReadsEachPictureOnce) {
    std::filesystem::create_directories(dir.path("PICTURES"));
    dir.write("PICTURES/p.bmp", picture(40, 20));
    TreeOutline tree;
    EventTexts events;
    FormRules rules;
    ParserEnvironment env{tree,   events,      rules, prompt, DialogUnits{8, 16, 2, 2},
                          &cache, dir.path("")};
    TemplateWriter w;
    w.header("T", "T").page("P");
    for (std::uint32_t width : {0u, 8u}) {
        RawControl c;
        c.tag = TemplateTag::Picture;
        c.text = "p.bmp";
        c.rect = {0, 0, width, width};
        w.control(c);
    }
    w.pageEnd().end().rules({});
    Parser parser;
    bool noErase = false;
    const std::vector<std::uint8_t> bytes = w.finish();
    std::unique_ptr<Form> form = parser.LoadFromMemory(bytes, "t.FRM", env, noErase);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(files.openReadCalls(), 1);
    EXPECT_EQ(form->page(0).allControls[0]->rect.width, 40 + 4);  // the bitmap's size
    EXPECT_EQ(form->page(0).allControls[1]->rect.width, 16 + 4);  // the rectangle's
    EXPECT_NE(cache.image("p.bmp"), nullptr);
}

}  // namespace
}  // namespace loom

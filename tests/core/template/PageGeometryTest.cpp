#include "template/PageGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "template/Form.h"

namespace loom {
namespace {

using P = PixelPoint;

TEST(PageGeometryTest, ScrollSizeIsTheExtentWithAMargin) {
    Form form("T");
    form.addPage("a");
    form.page(0).extentWidth = 300;
    form.page(0).extentHeight = 200;
    form.addPage("b");
    form.page(1).extentWidth = INT_MAX;
    EXPECT_EQ(PageGeometry::scrollSize(&form, 0), (PixelSize{310, 210}));
    EXPECT_EQ(PageGeometry::scrollSize(&form, 1), (PixelSize{INT_MAX, 10}));
    EXPECT_EQ(PageGeometry::scrollSize(&form, 2), PixelSize{});
    EXPECT_EQ(PageGeometry::scrollSize(&form, -1), PixelSize{});
    EXPECT_EQ(PageGeometry::scrollSize(nullptr, 0), PixelSize{});
}

TEST(PageGeometryTest, StepsAndMaximum) {
    EXPECT_EQ(PageGeometry::pageStep({403, 99}), (PixelSize{302, 74}));
    EXPECT_EQ(PageGeometry::lineStep({403, 99}), (PixelSize{40, 9}));
    EXPECT_EQ(PageGeometry::maximumScroll({500, 100}, {200, 300}), (P{300, 0}));
}

// Client area 200 x 100, scrolled at most to (500, 300).
TEST(PageGeometryTest, IntoViewCentresOnlyWhatIsNotWhollyInView) {
    struct Case {
        const char* name;
        PixelRect control;
        P position;
        std::optional<P> expected;
    };
    const Case cases[] = {
        {"touching edges", {0, 0, 200, 100}, {40, 40}, std::nullopt},
        {"below", {50, 150, 100, 21}, {0, 0}, P{0, 110}},
        {"clamped at zero", {-30, 10, 20, 10}, {5, 0}, P{0, 0}},
        {"clamped at maximum", {1000, 500, 10, 10}, {400, 250}, P{500, 300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageGeometry::scrollIntoView(c.control, {200, 100}, c.position, {500, 300}),
                  c.expected)
            << c.name;
}

TEST(PageGeometryTest, DraggingMovesTheContentWithTheMouse) {
    // Mouse moved 30 right, 20 down: the view scrolls 30 left, 20 up.
    EXPECT_EQ(PageGeometry::dragScroll({100, 100}, {50, 50}, {80, 70}, {300, 300}), (P{70, 80}));
    EXPECT_EQ(PageGeometry::dragScroll({10, 10}, {50, 50}, {80, 70}, {300, 300}), (P{0, 0}));
    EXPECT_EQ(PageGeometry::dragScroll({0, 0}, {80, 70}, {0, 0}, {50, 0}), (P{50, 0}));
    EXPECT_EQ(PageGeometry::dragScroll({0, 0}, {80, 70}, {0, 0}, {0, 0}), std::nullopt)
        << "a page that fits does not scroll";
}

}  // namespace
}  // namespace loom

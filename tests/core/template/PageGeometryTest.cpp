#include "template/PageGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "template/Form.h"

namespace loom {
namespace {

using P = PixelPoint;

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

}  // namespace
}  // namespace loom

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "template/Form.h"
#include "template/FormPrintLayout.h"
#include "template/PageGeometry.h"

namespace loom {
namespace {

using P = PixelPoint;

// Client area 200 x 100, scrolled at most to (500, 300).
TEST(PageGeometryTest, IntoViewCentresOnlyWhatIsNotWhollyInView) {
    const struct {
        const char* name;
        PixelRect control;
        P position;
        std::optional<P> expected;
    } cases[] = {
        {"touching edges", {0, 0, 200, 100}, {40, 40}, std::nullopt},
        {"below", {50, 150, 100, 21}, {0, 0}, P{0, 110}},
        {"clamped at zero", {-30, 10, 20, 10}, {5, 0}, P{0, 0}},
        {"clamped at maximum", {1000, 500, 10, 10}, {400, 250}, P{500, 300}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PageGeometry::scrollIntoView(c.control, {200, 100}, c.position, {500, 300}),
                  c.expected)
            << c.name;
}

using Layout = FormPrintLayout;
using Op = Layout::Op;

// A 1000 x 1400 sheet; F1 matches the screen font (100 %), F2 and F3 are smaller. The
// margin is 70, the usable width 930; the file information block ends at 128, so pages
// follow at y = 138.
Layout::Input input(std::vector<PrintPage> pages) {
    Layout::Input in;
    in.printerWidth = 1000;
    in.printerHeight = 1400;
    in.fonts = {{{10, 20}, {7, 15}, {5, 10}}};
    in.screen = {10, 20};
    in.fileInfo = {{"Produkt: GL 200", 100}, {"Skapad :", 60}, {"Dator: A", 70}, {"Ändrad: ", 60}};
    in.infoTitle = "Filinformation";
    in.pages = std::move(pages);
    in.end = static_cast<int>(in.pages.size());
    return in;
}

std::vector<PrintPage> pagesOf(int count, int w, int h) {
    return std::vector<PrintPage>(static_cast<std::size_t>(count), PrintPage{w, h, {}});
}

using At = std::tuple<int, int, int, int, int>;  // sheet, page, left, top, font

TEST(FormPrintLayout, PlacesPagesOnSheets) {
    const struct {
        const char* name;
        Layout::Input in;
        std::size_t sheets;
        std::vector<At> placed;  // every page placed, in order
    } cases[] = {
        {"small pages side by side, 10 apart, then a new row",
         input(pagesOf(4, 300, 100)),
         1,
         {{0, 0, 70, 138, 0}, {0, 1, 380, 138, 0}, {0, 2, 690, 138, 0}, {0, 3, 70, 248, 0}}},
        {"F1, then F2, then F3 whatever the size",
         input({{100, 100, {}}, {1000, 100, {}}, {1300, 1900, {}}, {9000, 9000, {}}}),
         2,
         {{0, 0, 70, 138, 0}, {0, 1, 180, 138, 1}, {0, 2, 70, 248, 2}, {1, 3, 70, 0, 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Layout layout(c.in);
        ASSERT_EQ(layout.sheets().size(), c.sheets);
        std::vector<At> placed;
        for (std::size_t s = 0; s < layout.sheets().size(); ++s) {
            EXPECT_EQ(layout.sheets()[s].fileInfo, s == 0);
            for (const Layout::Placed& p : layout.sheets()[s].pages)
                placed.push_back({static_cast<int>(s), p.page, p.rect.left, p.rect.top, p.font});
        }
        EXPECT_EQ(placed, c.placed);
    }
}

TEST(FormPrintLayout, DrawsEachKindOfItem) {
    // On F2 (sx 70 %, sy 75 %, L = 15), the page at (70, 138).
    PrintPage page{1000, 200, {}};
    page.items = {
        {{0, 0, 200, 100}, PrintItem::Frame, "Grupp", false},
        {{100, 0, 300, 200}, PrintItem::Edit, "hög", false},
        {{0, 40, 100, 60}, PrintItem::Option, "Av", false},
        {{0, 80, 100, 100}, PrintItem::CheckBox, "På", true},
        {{200, 100, 400, 120}, PrintItem::Choice, "Val", false},
    };
    const Layout layout(input({page}));
    ASSERT_EQ(layout.sheets().size(), 1u);
    std::vector<Op> ops = layout.sheets()[0].ops;
    // The block's ops and the page's frame come first.
    const auto first = std::find_if(ops.begin(), ops.end(), [](const Op& op) {
        return op.kind == Op::Kind::Frame && op.rect == EdgeRect{70, 138, 770, 288};
    });
    ASSERT_NE(first, ops.end());
    ops.erase(ops.begin(), first + 1);
    // Kind, rectangle, text, filled and wrapped of each op, in order; texts use F2.
    using Drawn = std::tuple<Op::Kind, EdgeRect, std::string, bool, bool>;
    std::vector<Drawn> drawn;
    for (const Op& op : ops) {
        drawn.emplace_back(op.kind, op.rect, op.text, op.filled, op.wrap);
        EXPECT_TRUE(op.kind != Op::Kind::Text || op.font == 1) << op.text;
    }
    const std::vector<Drawn> expected = {
        {Op::Kind::Frame, {70, 145, 210, 213}, "", false, false},
        {Op::Kind::Text, {70, 138, 210, 213}, "Grupp", false, false},
        // d = (150 - 15) / 2 = 67 is more than a line: a quarter line
        {Op::Kind::Text, {147, 141, 287, 291}, "hög", false, true},
        {Op::Kind::Frame, {140, 138, 280, 288}, "", false, false},
        {Op::Kind::Circle, {70, 171, 77, 179}, "", false, false},
        {Op::Kind::Text, {85, 168, 140, 183}, "Av", false, false},
        {Op::Kind::Square, {70, 198, 85, 213}, "", false, false},
        {Op::Kind::Square, {73, 201, 82, 210}, "", true, false},
        {Op::Kind::Text, {92, 198, 140, 213}, "På", false, false},
        {Op::Kind::Text, {217, 216, 350, 235}, "Val", false, false},
        {Op::Kind::Frame, {210, 213, 350, 235}, "", false, false},
    };
    EXPECT_EQ(drawn, expected);
}

}  // namespace
}  // namespace loom

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "template/FormPrintLayout.h"

namespace loom {
namespace {

using Layout = FormPrintLayout;
using Op = Layout::Op;

// A 1000 x 1400 sheet; F1 matches the screen font (100 %), F2 and F3 are smaller. The
// margin is 70, the usable width 930; the file information block ends at 128, so pages
// follow at y = 138.
Layout::Input input(std::vector<PrintPage> pages, int first = 0, int end = -1) {
    Layout::Input in;
    in.printerWidth = 1000;
    in.printerHeight = 1400;
    in.fonts = {{{10, 20}, {7, 15}, {5, 10}}};
    in.screen = {10, 20};
    in.fileInfo = {{"Produkt: GL 200", 100}, {"Skapad :", 60}, {"Dator: A", 70}, {"Ändrad: ", 60}};
    in.infoTitle = "Filinformation";
    in.pages = std::move(pages);
    in.first = first;
    in.end = end < 0 ? static_cast<int>(in.pages.size()) : end;
    return in;
}

std::vector<PrintPage> pagesOf(int count, int w, int h) {
    return std::vector<PrintPage>(static_cast<std::size_t>(count), PrintPage{w, h, {}});
}

struct At {
    int sheet, page, left, top, font;
    bool operator==(const At&) const = default;
};

void PrintTo(const At& a, std::ostream* os) {
    *os << "sheet " << a.sheet << " page " << a.page << " at " << a.left << "," << a.top << " font "
        << a.font;
}

TEST(FormPrintLayout, PlacesPagesOnSheets) {
    struct Case {
        const char* name;
        Layout::Input in;
        std::size_t sheets;
        std::vector<At> placed;  // every page placed, in order
    } cases[] = {
        {"small pages side by side, 10 apart, then a new row",
         input(pagesOf(4, 300, 100)),
         1,
         {{0, 0, 70, 138, 0}, {0, 1, 380, 138, 0}, {0, 2, 690, 138, 0}, {0, 3, 70, 248, 0}}},
        {"the block only on the first sheet; full sheets go on at the top",
         input(pagesOf(4, 600, 600)),
         2,
         {{0, 0, 70, 138, 0}, {0, 1, 70, 748, 0}, {1, 2, 70, 0, 0}, {1, 3, 70, 610, 0}}},
        {"a page too tall below the block begins the next sheet at 0",
         input(pagesOf(1, 100, 1300)),
         2,
         {{1, 0, 70, 0, 0}}},
        {"F1, then F2, then F3 whatever the size",
         input({{100, 100, {}}, {1000, 100, {}}, {1300, 1900, {}}, {9000, 9000, {}}}),
         2,
         {{0, 0, 70, 138, 0}, {0, 1, 180, 138, 1}, {0, 2, 70, 248, 2}, {1, 3, 70, 0, 2}}},
        {"nothing to print, no sheet", input(pagesOf(3, 10, 10), 3, 3), 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Layout layout(c.in);
        ASSERT_EQ(layout.sheets().size(), c.sheets);
        std::vector<At> placed;
        int infoBlocks = 0;
        for (std::size_t s = 0; s < layout.sheets().size(); ++s) {
            const Layout::Sheet& sheet = layout.sheets()[s];
            EXPECT_EQ(sheet.fileInfo, s == 0);
            for (const Op& op : sheet.ops)
                infoBlocks += op.text == "Filinformation";
            for (const Layout::Placed& p : sheet.pages)
                placed.push_back({static_cast<int>(s), p.page, p.rect.left, p.rect.top, p.font});
        }
        EXPECT_EQ(infoBlocks, c.sheets > 0 ? 1 : 0);
        EXPECT_EQ(placed, c.placed);
    }
}

TEST(FormPrintLayout, DrawsEachKindOfItem) {
    // On F2 (sx 70 %, sy 75 %, L = 15), the page at (70, 138).
    PrintPage page{1000, 200, {}};
    page.items = {
        {{0, 0, 200, 100}, PrintItem::Frame, "Grupp", false},
        {{100, 20, 300, 40}, PrintItem::Edit, "1234", false},
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
    struct Expected {
        Op::Kind kind;
        EdgeRect rect;
        std::string text;
        bool filled, wrap;
    };
    const Expected expected[] = {
        {Op::Kind::Frame, {70, 145, 210, 213}, "", false, false},
        {Op::Kind::Text, {70, 138, 210, 213}, "Grupp", false, false},
        // d = (15 - 15) / 2 = 0
        {Op::Kind::Text, {147, 153, 287, 168}, "1234", false, true},
        {Op::Kind::Frame, {140, 153, 280, 168}, "", false, false},
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
    ASSERT_EQ(ops.size(), std::size(expected));
    for (std::size_t i = 0; i < ops.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ops[i].kind, expected[i].kind);
        EXPECT_EQ(ops[i].rect, expected[i].rect);
        EXPECT_EQ(ops[i].text, expected[i].text);
        EXPECT_EQ(ops[i].filled, expected[i].filled);
        EXPECT_EQ(ops[i].wrap, expected[i].wrap);
        if (ops[i].kind == Op::Kind::Text) {
            EXPECT_EQ(ops[i].font, 1);
        }
    }
}

}  // namespace
}  // namespace loom

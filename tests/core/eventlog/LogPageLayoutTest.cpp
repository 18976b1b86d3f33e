#include <gtest/gtest.h>

#include <vector>

#include "eventlog/LogPageLayout.h"

namespace loom {
namespace {

using P = LogPageLayout::Placement;

// A page of 1000 x 2000 units leaves 100 to 1900 for entries; bold lines 30, regular 20:
// an entry is 30 + 20 x (lines - 1) + 10 high.
TEST(LogPageLayout, WholeEntriesPerPageTallOnesAloneAndCut) {
    const LogPageLayout::Metrics metrics{1000, 2000, 30, 20};
    const struct {
        const char* what;
        std::vector<std::size_t> lines;
        std::vector<P> placed;
        int pages;
    } cases[] = {
        {"below each other", {1, 2, 3}, {{0, 100, 1}, {0, 140, 2}, {0, 200, 3}}, 1},
        {"no text: one line's height", {0, 1}, {{0, 100, 0}, {0, 140, 1}}, 1},
        {"exactly filling the page", {44, 44, 1}, {{0, 100, 44}, {0, 1000, 44}, {1, 100, 1}}, 2},
        // 2020 high: lines down to the bottom margin (89 of them), then a new page.
        {"taller than a page", {100, 1}, {{0, 100, 89}, {1, 100, 1}}, 2},
        {"tall after a short one", {1, 100, 1}, {{0, 100, 1}, {1, 100, 89}, {2, 100, 1}}, 3},
        {"nothing shown", {}, {}, 1}};
    for (const auto& c : cases) {
        const LogPageLayout layout(metrics, c.lines);
        EXPECT_EQ(layout.placements(), c.placed) << c.what;
        EXPECT_EQ(layout.pageCount(), c.pages) << c.what;
    }
}

}  // namespace
}  // namespace loom

#include "document/PageStates.h"

#include <gtest/gtest.h>

#include <vector>

namespace loom {
namespace {

// Pictures of pages 0-2, page 1 being the one shown.
std::vector<int> pictures(const PageStates& s) {
    return {s.picture(0, false), s.picture(1, true), s.picture(2, false)};
}

TEST(PageStatesTest, PicturesFollowTheStates) {
    PageStates s;
    s.reset(3);
    EXPECT_EQ(pictures(s), (std::vector<int>{3, 4, 3}));

    s.markAllUnavailable(3);
    EXPECT_EQ(pictures(s), (std::vector<int>{7, 7, 7}));
    s.markDiffering(0);  // unavailable pages cannot differ
    s.markAvailable(0);
    s.markAvailable(1);
    EXPECT_EQ(pictures(s), (std::vector<int>{3, 4, 7}));
    EXPECT_FALSE(s.canSelect(2));
    EXPECT_TRUE(s.canSelect(1));
    EXPECT_FALSE(s.canSelect(-1));

    s.markDiffering(0);
    s.markDiffering(1);
    s.markDiffering(2);
    EXPECT_EQ(pictures(s), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(s.clearDifferences(), (std::vector<int>{0, 1}));
    EXPECT_EQ(pictures(s), (std::vector<int>{3, 4, 7}));

    s.reset(3);
    EXPECT_EQ(pictures(s), (std::vector<int>{3, 4, 3}));
}

TEST(PageStatesTest, GrowsForPagesNotYetKnown) {
    PageStates s;
    EXPECT_TRUE(s.canSelect(40));
    s.markDiffering(40);
    EXPECT_TRUE(s.differs(40));
    s.markAllUnavailable(2);
    EXPECT_FALSE(s.canSelect(40)) << "every known page, the grown ones too";
    s.clear();
    EXPECT_TRUE(s.canSelect(40));
    EXPECT_FALSE(s.differs(40));
}

}  // namespace
}  // namespace loom

#include "template/FocusOrder.h"

#include <gtest/gtest.h>

namespace loom {
namespace {

struct OrderCase {
    int count, current;
    int next, previous;
};

class FocusOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(FocusOrderTest, WrapsAround) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(FocusOrder::next(c.count, c.current), c.next);
    EXPECT_EQ(FocusOrder::previous(c.count, c.current), c.previous);
}

INSTANTIATE_TEST_SUITE_P(Table, FocusOrderTest,
                         ::testing::Values(OrderCase{3, 0, 1, 2},    // first
                                           OrderCase{3, 1, 2, 0},    // middle
                                           OrderCase{3, 2, 0, 1},    // last
                                           OrderCase{3, -1, 0, 2},   // focus elsewhere
                                           OrderCase{3, 7, 0, 2},    // not in the list
                                           OrderCase{1, 0, 0, 0},    // alone
                                           OrderCase{0, -1, -1, -1}  // empty
                                           ));

TEST(FocusOrderTest, PassesOverEntriesThatCannotTakeTheFocus) {
    const auto onlyEven = [](int i) { return i % 2 == 0; };
    EXPECT_EQ(FocusOrder::next(5, 0, onlyEven), 2);
    EXPECT_EQ(FocusOrder::next(5, 4, onlyEven), 0);
    EXPECT_EQ(FocusOrder::previous(5, 0, onlyEven), 4);
    EXPECT_EQ(FocusOrder::next(3, 0, [](int) { return false; }), -1);
}

}  // namespace
}  // namespace loom

#include "template/FocusOrder.h"

#include <gtest/gtest.h>

namespace loom {
namespace {

TEST(FocusOrderTest, WrapsAroundAndPassesOverWhatCannotTakeTheFocus) {
    struct Case {
        int count, current, next, previous;
    };
    const Case cases[] = {
        {3, 0, 1, 2}, {3, 2, 0, 1}, {3, -1, 0, 2}, {3, 7, 0, 2}, {1, 0, 0, 0}, {0, -1, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FocusOrder::next(c.count, c.current), c.next) << c.count << " " << c.current;
        EXPECT_EQ(FocusOrder::previous(c.count, c.current), c.previous)
            << c.count << " " << c.current;
    }
    const auto onlyEven = [](int i) { return i % 2 == 0; };
    EXPECT_EQ(FocusOrder::next(5, 0, onlyEven), 2);
    EXPECT_EQ(FocusOrder::next(5, 4, onlyEven), 0);
    EXPECT_EQ(FocusOrder::previous(5, 0, onlyEven), 4);
    EXPECT_EQ(FocusOrder::next(3, 0, [](int) { return false; }), -1);
}

}  // namespace
}  // namespace loom

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/WaitableEvent.h"

namespace loom {
namespace {

using namespace std::chrono_literals;

// A signal is taken by one wait (two sets are one signal); waitAny takes the first
// signalled event and leaves the others set.
TEST(WaitableEventTest, AWaitConsumesOneSignalOfTheFirstEventSet) {
    WaitableEvent a, b, c;
    b.set();
    b.set();
    c.set();
    EXPECT_EQ(WaitableEvent::waitAny({&a, &b, &c}, 0ms), 1);
    EXPECT_FALSE(b.tryWait());
    EXPECT_EQ(WaitableEvent::waitAny({&a, &b, &c}, 0ms), 2);
    EXPECT_EQ(WaitableEvent::waitAny({&a, &b, &c}, 0ms), -1);
    a.set();
    a.reset();
    EXPECT_FALSE(a.wait(0ms));
}

}  // namespace
}  // namespace loom

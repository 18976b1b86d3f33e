#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/WaitableEvent.h"

namespace loom {
namespace {

using namespace std::chrono_literals;

TEST(WaitableEventTest, OneWaitConsumesTheSignal) {
    WaitableEvent event;
    EXPECT_FALSE(event.tryWait());
    event.set();
    event.set();  // a second set before the wait is the same one signal
    EXPECT_TRUE(event.wait(0ms));
    EXPECT_FALSE(event.tryWait());
    EXPECT_FALSE(event.wait(10ms));
    event.set();
    event.reset();
    EXPECT_FALSE(event.tryWait());
}

TEST(WaitableEventTest, WaitAnyTakesTheFirstSignalledAndResetsOnlyIt) {
    WaitableEvent a, b, c;
    b.set();
    c.set();
    EXPECT_EQ(WaitableEvent::waitAny({&a, &b, &c}, 0ms), 1);
    EXPECT_FALSE(b.tryWait());
    EXPECT_FALSE(a.tryWait());
    EXPECT_EQ(WaitableEvent::waitAny({&a, &b, &c}, 0ms), 2);
    EXPECT_EQ(WaitableEvent::waitAny({&a, &b, &c}, 10ms), -1);
}

TEST(WaitableEventTest, SetFromAnotherThreadWakesAWaiter) {
    WaitableEvent event;
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        event.set();
    });
    EXPECT_TRUE(event.wait(30s));
    setter.join();
    EXPECT_FALSE(event.tryWait());
}

}  // namespace
}  // namespace loom

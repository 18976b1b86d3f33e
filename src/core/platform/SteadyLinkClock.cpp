#include <chrono>
#include <thread>

#include "platform/LinkClock.h"

namespace loom {

std::uint64_t SteadyLinkClock::tickMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

void SteadyLinkClock::sleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace loom

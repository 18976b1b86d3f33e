#pragma once

#include <cstdint>

namespace loom {

// Time as the link sees it: a millisecond tick count for activity and pauses, and the
// sleeps that pace the wire. Tests and the fuzzer put a virtual clock in its place.
class LinkClock {
  public:
    virtual ~LinkClock() = default;
    virtual std::uint64_t tickMs() = 0;
    virtual void sleepMs(int ms) = 0;
};

// The machine's monotonic clock and real sleeps.
class SteadyLinkClock final : public LinkClock {
  public:
    std::uint64_t tickMs() override;
    void sleepMs(int ms) override;
};

}  // namespace loom

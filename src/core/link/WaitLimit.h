#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

#include "link/LinkTiming.h"

namespace loom {

// A wait of a number of timeout units. The panel's protocol counts the elapsed time in
// whole seconds and gives up only once that count is strictly greater than the limit, so
// a wait of 5 units of 7 s ends after 36 whole seconds, not 35.
class WaitLimit {
  public:
    WaitLimit(std::uint64_t startMs, int units, const LinkTiming& timing)
        : start_(startMs),
          limit_(static_cast<std::uint64_t>(std::max(units, 0)) *
                 static_cast<std::uint64_t>(std::max(timing.unitMs, 0))),
          step_(static_cast<std::uint64_t>(std::max(timing.wholeMs, 1))) {}

    // The time since the start in whole steps, in milliseconds.
    std::uint64_t elapsedMs(std::uint64_t nowMs) const {
        return nowMs <= start_ ? 0 : (nowMs - start_) / step_ * step_;
    }
    bool expired(std::uint64_t nowMs) const { return elapsedMs(nowMs) > limit_; }
    // How long until expired() turns true (0 once it is).
    int msUntilExpiry(std::uint64_t nowMs) const {
        const std::uint64_t end = start_ + (limit_ / step_ + 1) * step_;
        if (nowMs >= end) return 0;
        return static_cast<int>(std::min<std::uint64_t>(end - nowMs, INT_MAX));
    }
    // The erase bar's share of the wait: 150 x elapsed / limit, at most 50.
    int progress(std::uint64_t nowMs) const {
        if (limit_ == 0) return 50;
        return static_cast<int>(std::min<std::uint64_t>(150 * elapsedMs(nowMs) / limit_, 50));
    }

  private:
    std::uint64_t start_;
    std::uint64_t limit_;
    std::uint64_t step_;
};

}  // namespace loom

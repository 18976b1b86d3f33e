#include "platform/Clock.h"

#include <chrono>

namespace loom {

std::int64_t SystemClock::nowSeconds() const {
    // The system clock counts from 1 January 1970 UTC.
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace loom

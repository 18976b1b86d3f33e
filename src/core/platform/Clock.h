#pragma once

#include <cstdint>

namespace loom {

// Wall-clock time for file identifiers and the filler of enciphered records.
class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since 1 January 1970 UTC.
    virtual std::int64_t nowSeconds() const = 0;
};

class SystemClock final : public Clock {
  public:
    std::int64_t nowSeconds() const override;
};

class FixedClock final : public Clock {
  public:
    explicit FixedClock(std::int64_t seconds = 0) : seconds_(seconds) {}
    std::int64_t nowSeconds() const override { return seconds_; }
    void set(std::int64_t seconds) { seconds_ = seconds; }

  private:
    std::int64_t seconds_;
};

}  // namespace loom

#pragma once

#include <cstdint>

#include "common/Calendar.h"

namespace loom {

// Wall-clock time for file identifiers, the filler of enciphered records, export dates and
// the dates shown to the user.
class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since 1 January 1970 UTC.
    virtual std::int64_t nowSeconds() const = 0;
    // The user's local calendar time of an instant, and the instant of a local calendar
    // time (fields out of range carry over, 30 February is 2 March).
    virtual CivilTime toLocal(std::int64_t seconds) const = 0;
    virtual std::int64_t fromLocal(const CivilTime& time) const = 0;
};

// The computer's clock and time zone.
class SystemClock final : public Clock {
  public:
    std::int64_t nowSeconds() const override;
    CivilTime toLocal(std::int64_t seconds) const override;
    std::int64_t fromLocal(const CivilTime& time) const override;
};

// A clock that stands still, in a zone a fixed offset east of UTC (UTC by default).
class FixedClock final : public Clock {
  public:
    explicit FixedClock(std::int64_t seconds = 0, std::int64_t utcOffset = 0)
        : seconds_(seconds), offset_(utcOffset) {}
    std::int64_t nowSeconds() const override { return seconds_; }
    CivilTime toLocal(std::int64_t seconds) const override {
        return civilFromSeconds(seconds + offset_);
    }
    std::int64_t fromLocal(const CivilTime& time) const override {
        return secondsFromCivil(time) - offset_;
    }
    void set(std::int64_t seconds) { seconds_ = seconds; }
    void setUtcOffset(std::int64_t offset) { offset_ = offset; }

  private:
    std::int64_t seconds_;
    std::int64_t offset_;
};

}  // namespace loom

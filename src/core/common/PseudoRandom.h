#pragma once

#include <cstdint>

namespace loom {

// The linear congruential generator whose exact sequence the data file cipher and the
// filler of enciphered records depend on: state = state * 214013 + 2531011 (mod 2^32),
// result = bits 16-30 of the new state. Our own, so that no runtime library's generator
// can ever change a file format.
class PseudoRandom {
  public:
    explicit PseudoRandom(std::uint32_t seed) : state_(seed) {}

    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    std::uint8_t nextByte() { return static_cast<std::uint8_t>(next() & 0xFF); }

  private:
    std::uint32_t state_;
};

}  // namespace loom

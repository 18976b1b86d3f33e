#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace loom {

// A decoding step's parameter that holds one number: decimal digits only, any other
// character (or none at all) makes it 0. Values past 32 bits stay at 0xFFFFFFFF.
std::uint32_t ParseSingleNumber(std::string_view text);

// Reads a parameter of several numbers, number by number: white space (blank, tab, CR,
// LF), decimal digits, white space, one ":", "," or ";" if present, white space.
class LogNumberReader {
  public:
    explicit LogNumberReader(std::string_view text) : text_(text) {}
    // False when no digit stands where the number should be (the parameter is
    // malformed); `value` is then left alone.
    bool next(std::uint32_t& value);
    // What follows the numbers read so far.
    std::string_view rest() const { return text_.substr(pos_); }

  private:
    void skipSpace();

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace loom

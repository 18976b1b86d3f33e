#pragma once

#include <array>
#include <string>
#include <string_view>

namespace loom {

// The program's own case folding in code page 1252, used by the event log window's search
// and under the Swedish sort order of result lists: "a"-"z", 0xE0-0xF6 and 0xF8-0xFE
// become their capitals (0x20 lower); every other code stays.
class SwedishUpperCase {
  public:
    static char fold(char c) { return static_cast<char>(table()[static_cast<unsigned char>(c)]); }
    static std::string fold(std::string_view text);

  private:
    static const std::array<unsigned char, 256>& table();
};

}  // namespace loom

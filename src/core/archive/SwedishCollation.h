#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

// The order in which result lists are shown (code page 1252): letters without regard to
// case, Å before Ä before Ö at the end of the alphabet, and TAB, LF, CR as blanks.
const std::array<std::uint8_t, 256>& swedishCollationTable();

// Negative, zero or positive as `a` sorts before, with or after `b`: byte by byte through
// the table; a string that ends first is smaller.
int compareSwedish(std::string_view a, std::string_view b);

// Sorts DATA.KQI lines by the text after their first TAB (the whole line without one).
void sortResultLines(std::vector<std::string>& lines);

}  // namespace loom

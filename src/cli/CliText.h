#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace loom::cli {

// Hex bytes, white space and commas allowed anywhere between digits ("B0 0A", "b00a").
bool parseHexBytes(std::string_view text, std::vector<std::uint8_t>& out);
// Two upper-case hexadecimal digits.
std::string hexOf(std::uint8_t b);
// A text on one line: control characters as \n, \r, \t or \xHH, a backslash doubled.
std::string escapeControls(std::string_view text);
// A number as written on the command line: decimal, or hexadecimal after 0x.
bool parseNumber(std::string_view text, std::uint64_t& value);
// A field address as every command prints it: 0x and 8 upper-case hexadecimal digits.
std::string fieldAddressText(std::uint32_t address);
// UTF-8 from the command line to code page 1252; false when a character does not fit.
bool toCp1252(std::string_view utf8, std::string& out);

}  // namespace loom::cli

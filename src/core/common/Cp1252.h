#pragma once

#include <string>
#include <string_view>

namespace loom {

// Inside the core every text is 8-bit code page 1252, as in the files and on the wire.
// These two convert at the edges (CLI, GUI). The five bytes that code page 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same value,
// so that any byte string survives a round trip through UTF-8.
std::string cp1252ToUtf8(std::string_view text);

// Characters that code page 1252 cannot hold become '?'; `lossy` (when given) is set then.
// Malformed UTF-8 is taken byte by byte as code page 1252.
std::string utf8ToCp1252(std::string_view text, bool* lossy = nullptr);

// Upper-casing as code page 1252 defines it (a-z, à-þ except ÷, š, œ, ž, ÿ).
char cp1252Upper(char c);
std::string cp1252Upper(std::string_view text);

}  // namespace loom

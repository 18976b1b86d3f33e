#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace loom::test {

// "B0 0A" <-> bytes, for readable byte expectations; anything but hex digits is skipped.
inline std::vector<std::uint8_t> hexBytes(std::string_view hex) {
    std::string digits;
    for (char c : hex)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits.push_back(c);
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

template <class Bytes>
std::string hexString(const Bytes& bytes) {
    std::string out;
    for (std::uint8_t b : bytes)
        out += (out.empty() ? "" : " ") +
               std::string{"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
    return out;
}

}  // namespace loom::test

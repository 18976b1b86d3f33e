#pragma once

#include <cstdint>
#include <string>

namespace loom {

// A PROM byte address shifted left by 3 plus a bit offset 0-7; bit 31 marks a field
// that has no place in the PROM (kept only in data files, where bits 3-30 name it).
using FieldAddress = std::uint32_t;
// Bits 3-30 a byte count, bits 0-2 a further bit count.
using FieldSize = std::uint32_t;

inline constexpr FieldAddress kAddresslessBit = 0x80000000u;

constexpr bool isAddressless(FieldAddress a) {
    return (a & kAddresslessBit) != 0;
}
constexpr std::uint32_t byteAddress(FieldAddress a) {
    return (a & 0x7FFFFFFFu) >> 3;
}
constexpr unsigned bitOffset(FieldAddress a) {
    return a & 7u;
}
// Size in bits; bytes * 8 + bits fits in 32 bits because bits 3-30 hold the bytes.
constexpr std::uint32_t sizeInBits(FieldSize s) {
    return ((s & 0x7FFFFFFFu) >> 3) * 8u + (s & 7u);
}

inline constexpr std::uint8_t kFieldFlagDisplayName = 0x02;

struct FieldRecord {
    FieldAddress address = 0;
    FieldSize size = 0;  // 0 in records read from a data file until merged with a template
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    std::string value;  // code page 1252, as the user sees it

    bool operator==(const FieldRecord&) const = default;
};

}  // namespace loom

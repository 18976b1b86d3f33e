#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

enum class CodecResult : int {
    Ok = 0,
    BadCharacter = 1,  // a character the type does not allow, or a type above 9
    DoesNotFit = 2,    // too long, too large, or a size the type does not allow
};

// The ten value types. Bytes hold the field's bits from bit 0 of byte 0 on (field bit k is
// bit k mod 8 of byte k div 8). Texts are code page 1252.
//
// Types 0, 6 and 9 are numbers of up to 32 bits. On wider fields parsing keeps the 32-bit
// overflow rule and puts the number into the low 32 bits (the higher bits are 0), while
// formatting gives the exact unsigned decimal of all the field's bits, so that a value read
// from a PROM is never shown wrongly. Type 6 then counts any index above 255 as 0.
//
// Sizes come from files. A field of more than kMaxFieldBytes bytes is refused with
// DoesNotFit before anything is allocated.
class ValueCodec {
  public:
    static constexpr unsigned kTypeCount = 10;
    static constexpr std::size_t kMaxFieldBytes = 65536;
    static constexpr std::uint64_t kMaxFieldBits = std::uint64_t{kMaxFieldBytes} * 8;

    static constexpr std::size_t byteCount(std::uint64_t bits) {
        return static_cast<std::size_t>((bits + 7) / 8);
    }

    // `out` holds byteCount(sizeInBits) zero bytes on entry. Bits above the size may be
    // set (packed digit strings lay nibbles by position); placing a value drops them.
    static CodecResult parse(unsigned type, std::string_view text, std::uint32_t sizeInBits,
                             std::span<std::uint8_t> out);
    // Reads only bytes [0, byteCount(sizeInBits)); a shorter array gives DoesNotFit.
    static CodecResult format(unsigned type, std::span<const std::uint8_t> bytes,
                              std::uint32_t sizeInBits, std::string& text);
};

// `bytes` is resized to ceil(sizeInBits / 8) zero bytes, then parsed into (left empty when
// the size is over the cap).
CodecResult parseValue(unsigned type, std::string_view text, std::uint32_t sizeInBits,
                       std::vector<std::uint8_t>& bytes);
CodecResult formatValue(unsigned type, std::span<const std::uint8_t> bytes,
                        std::uint32_t sizeInBits, std::string& text);

}  // namespace loom

#pragma once

#include <cstdint>
#include <span>

#include "conversion/ConversionBuffer.h"

namespace loom {

// The program of a conversion file: one opcode byte, then operands (addresses are 32-bit
// little-endian, everything else one byte).
//   0                                   end (so is the end of the bytes)
//   1 src dst length                    copy length bytes
//   2 src srcShift dst dstShift width   copy a group of width bits
//   3 addr mask value                   condition on the source; a run of them is ANDed
//                                       and must be followed by the conditional form
//   2 addr mask value                   of opcode 2: target = (target & ~mask) | value
// There are no jumps, so a program runs in time linear in its length.
class ConversionProgram {
  public:
    enum Opcode : std::uint8_t { End = 0, Copy = 1, CopyBits = 2, Condition = 3 };
    static constexpr unsigned kMaxCopyLength = 512;
    static constexpr unsigned kMaxWidth = 8;

    // Reads only `source` and writes only `target`. False on an unknown opcode, a width
    // above 8, a condition run without its conditional opcode 2, or an instruction cut
    // short by the end of the bytes; the target then holds what was done before.
    static bool run(std::span<const std::uint8_t> program, const ConversionBuffer& source,
                    ConversionBuffer& target);
};

}  // namespace loom

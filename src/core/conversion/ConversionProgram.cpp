#include "conversion/ConversionProgram.h"

#include <algorithm>
#include <cstddef>

namespace loom {
namespace {

// Takes operands off the program; every read past the end fails instead of reading on.
class OperandReader {
  public:
    explicit OperandReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool byte(std::uint8_t& out) {
        if (at_ >= bytes_.size()) return false;
        out = bytes_[at_++];
        return true;
    }
    bool address(std::uint32_t& out) {
        if (bytes_.size() - at_ < 4) return false;
        out = std::uint32_t{bytes_[at_]} | std::uint32_t{bytes_[at_ + 1]} << 8 |
              std::uint32_t{bytes_[at_ + 2]} << 16 | std::uint32_t{bytes_[at_ + 3]} << 24;
        at_ += 4;
        return true;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// Shifts of 8 or more move every bit out of a byte, which capping at 8 keeps exact while
// staying clear of shifts wider than the integer.
unsigned cappedShift(std::uint8_t shift) {
    return std::min<unsigned>(shift, 8);
}

bool copyBytes(OperandReader& in, const ConversionBuffer& source, ConversionBuffer& target) {
    std::uint32_t from = 0, to = 0;
    std::uint8_t length = 0;
    if (!in.address(from) || !in.address(to) || !in.byte(length)) return false;
    // A one-byte length is always within the copy limit.
    static_assert(0xFF <= ConversionProgram::kMaxCopyLength);
    for (std::uint64_t i = 0; i < length; ++i)
        target.set(to + i, source.get(from + i));
    return true;
}

bool copyBits(OperandReader& in, const ConversionBuffer& source, ConversionBuffer& target) {
    std::uint32_t from = 0, to = 0;
    std::uint8_t fromShift = 0, toShift = 0, width = 0;
    if (!in.address(from) || !in.byte(fromShift) || !in.address(to) || !in.byte(toShift) ||
        !in.byte(width))
        return false;
    if (width > ConversionProgram::kMaxWidth) return false;
    const unsigned mask = (1u << width) - 1;
    const unsigned value = (unsigned{source.get(from)} >> cappedShift(fromShift)) & mask;
    const unsigned shift = cappedShift(toShift);
    const unsigned old = target.get(to);
    target.set(to, static_cast<std::uint8_t>(((old & ~(mask << shift)) | (value << shift)) & 0xFF));
    return true;
}

// A run of conditions and the conditional opcode 2 that must follow it.
bool conditionalSet(OperandReader& in, const ConversionBuffer& source, ConversionBuffer& target) {
    bool holds = true;
    std::uint8_t opcode = ConversionProgram::Condition;
    while (opcode == ConversionProgram::Condition) {
        std::uint32_t address = 0;
        std::uint8_t mask = 0, value = 0;
        if (!in.address(address) || !in.byte(mask) || !in.byte(value)) return false;
        holds = holds && (source.get(address) & mask) == value;
        if (!in.byte(opcode)) return false;  // the conditional opcode 2 is missing
    }
    if (opcode != ConversionProgram::CopyBits) return false;
    std::uint32_t address = 0;
    std::uint8_t mask = 0, value = 0;
    if (!in.address(address) || !in.byte(mask) || !in.byte(value)) return false;
    if (holds)
        target.set(address, static_cast<std::uint8_t>((target.get(address) & ~mask) | value));
    return true;
}

}  // namespace

bool ConversionProgram::run(std::span<const std::uint8_t> program, const ConversionBuffer& source,
                            ConversionBuffer& target) {
    OperandReader in(program);
    for (;;) {
        std::uint8_t opcode = End;
        if (!in.byte(opcode)) return true;  // the end of the bytes ends the program too
        bool ok = false;
        switch (opcode) {
            case End:
                return true;
            case Copy:
                ok = copyBytes(in, source, target);
                break;
            case CopyBits:
                ok = copyBits(in, source, target);
                break;
            case Condition:
                ok = conditionalSet(in, source, target);
                break;
            default:
                ok = false;
                break;
        }
        if (!ok) return false;
    }
}

}  // namespace loom

#include "fields/FieldCodec.h"

#include <algorithm>
#include <array>
#include <vector>

namespace loom {
namespace {

// Most fields are a few bytes: keep their scratch on the stack.
class Scratch {
  public:
    explicit Scratch(std::size_t n) {
        if (n > small_.size()) large_.resize(n);
        bytes_ = n > small_.size() ? std::span<std::uint8_t>(large_)
                                   : std::span<std::uint8_t>(small_).first(n);
        std::fill(bytes_.begin(), bytes_.end(), std::uint8_t{0});
    }
    std::span<std::uint8_t> bytes() { return bytes_; }

  private:
    std::array<std::uint8_t, 64> small_{};
    std::vector<std::uint8_t> large_;
    std::span<std::uint8_t> bytes_;
};

// Bytes the field spans at bit offset k, or 0 when the size is over the codec's cap.
std::size_t spanOf(unsigned k, std::uint32_t bits) {
    if (bits > ValueCodec::kMaxFieldBits) return 0;
    return ValueCodec::byteCount(std::uint64_t{k} + bits);
}

// Field bit j -> bit (k + j) of `out`; the bits below k and above the field stay 0.
void shiftUp(std::span<const std::uint8_t> value, std::uint32_t bits, unsigned k,
             std::span<std::uint8_t> out) {
    const std::size_t whole = bits / 8;
    const unsigned rest = bits % 8;
    const auto lowMask = static_cast<unsigned>((1u << rest) - 1u);
    for (std::size_t i = 0; i <= whole && i < value.size(); ++i) {
        const unsigned b = i < whole ? value[i] : (value[i] & lowMask);
        if (b == 0) continue;
        const unsigned wide = b << k;
        out[i] |= static_cast<std::uint8_t>(wide);
        if (wide > 0xFF) out[i + 1] |= static_cast<std::uint8_t>(wide >> 8);
    }
}

// Bit (k + j) of `placed` -> field bit j; the bits above the size stay 0.
void shiftDown(std::span<const std::uint8_t> placed, std::uint32_t bits, unsigned k,
               std::span<std::uint8_t> out) {
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned b = placed[i] >> k;
        if (k > 0 && i + 1 < placed.size()) b |= static_cast<unsigned>(placed[i + 1]) << (8 - k);
        out[i] = static_cast<std::uint8_t>(b);
    }
    if (const unsigned rest = bits % 8; rest != 0 && !out.empty())
        out.back() = static_cast<std::uint8_t>(out.back() & ((1u << rest) - 1u));
}

}  // namespace

CodecResult FieldCodec::encode(unsigned type, std::string_view text, FieldAddress address,
                               FieldSize size, PromImage& image) {
    const std::uint32_t bits = sizeInBits(size);
    if (type >= ValueCodec::kTypeCount) return CodecResult::BadCharacter;
    if (bits > ValueCodec::kMaxFieldBits) return CodecResult::DoesNotFit;
    Scratch value(ValueCodec::byteCount(bits));
    if (const CodecResult r = ValueCodec::parse(type, text, bits, value.bytes());
        r != CodecResult::Ok)
        return r;

    const unsigned k = bitOffset(address);
    const std::size_t n = spanOf(k, bits);
    if (n == 0) return CodecResult::Ok;
    const std::uint32_t at = byteAddress(address);
    Scratch placed(n);
    shiftUp(value.bytes(), bits, k, placed.bytes());

    std::span<std::uint8_t> out = placed.bytes();
    const std::uint8_t first = image.at(at);
    out[0] = static_cast<std::uint8_t>(out[0] | (first & (0xFFu >> (8 - k))));
    if (const unsigned r = static_cast<unsigned>((std::uint64_t{k} + bits) % 8); r > 0) {
        const auto mask = static_cast<std::uint8_t>(0xFFu << r);
        const std::uint8_t last = n == 1 ? first : image.at(at + static_cast<std::uint32_t>(n - 1));
        out[n - 1] = static_cast<std::uint8_t>((out[n - 1] & ~mask) | (last & mask));
    }
    image.write(at, out);
    return CodecResult::Ok;
}

CodecResult FieldCodec::decode(unsigned type, FieldAddress address, FieldSize size,
                               const PromImage& image, std::string& text) {
    const std::uint32_t bits = sizeInBits(size);
    if (type >= ValueCodec::kTypeCount) return CodecResult::BadCharacter;
    if (bits > ValueCodec::kMaxFieldBits) return CodecResult::DoesNotFit;
    const unsigned k = bitOffset(address);
    const std::size_t n = spanOf(k, bits);
    Scratch placed(n);
    image.readInto(byteAddress(address), placed.bytes());
    Scratch value(ValueCodec::byteCount(bits));
    shiftDown(placed.bytes(), bits, k, value.bytes());
    return ValueCodec::format(type, value.bytes(), bits, text);
}

bool FieldCodec::normalise(const FieldRecord& record, std::string& out) {
    // Placement and extraction only drop the bits above the size, so masking them here
    // gives what a round trip through an empty image would.
    const std::uint32_t bits = sizeInBits(record.size);
    if (record.type >= ValueCodec::kTypeCount || bits > ValueCodec::kMaxFieldBits) return false;
    Scratch value(ValueCodec::byteCount(bits));
    if (ValueCodec::parse(record.type, record.value, bits, value.bytes()) != CodecResult::Ok)
        return false;
    if (const unsigned rest = bits % 8; rest != 0)
        value.bytes().back() =
            static_cast<std::uint8_t>(value.bytes().back() & ((1u << rest) - 1u));
    std::string text;
    if (ValueCodec::format(record.type, value.bytes(), bits, text) != CodecResult::Ok) return false;
    out = std::move(text);
    return true;
}

}  // namespace loom

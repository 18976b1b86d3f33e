#include "eventlog/PromText.h"

#include <algorithm>
#include <array>

#include "fields/PromImage.h"

namespace loom {
namespace {

constexpr std::size_t kPromTextLength = 16;
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

char displayChar(std::uint8_t b) {
    switch (b) {
        case 0x84:
            return '\xE4';  // ä
        case 0x86:
            return '\xE5';  // å
        case 0x8E:
            return '\xC4';  // Ä
        case 0x8F:
            return '\xC5';  // Å
        case 0x94:
            return '\xF6';  // ö
        case 0x99:
            return '\xD6';  // Ö
        default:
            return static_cast<char>(b);
    }
}

}  // namespace

std::string PromTextToDisplay(std::span<const std::uint8_t> bytes) {
    std::string out;
    const std::size_t n = std::min(bytes.size(), kPromTextLength);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = bytes[i];
        if (b == 0) break;
        if (b == 0xFF) continue;
        out.push_back(displayChar(b));
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (out.empty()) out = kNoPromText;
    return out;
}

std::string ReadPromText(const PromImage& image, std::uint64_t address, std::size_t length) {
    std::array<std::uint8_t, kPromTextLength> bytes;
    bytes.fill(0xFF);
    const std::size_t n = std::min(length, kPromTextLength);
    if (address < kAddressSpace)
        image.readInto(static_cast<std::uint32_t>(address), std::span(bytes.data(), n));
    return PromTextToDisplay(std::span<const std::uint8_t>(bytes.data(), n));
}

}  // namespace loom

#include "link/LinkMessage.h"

#include <algorithm>

namespace loom {

LinkMessage::LinkMessage() {
    clear();
}

LinkMessage::LinkMessage(std::uint8_t type, std::uint32_t address, const Data& data) {
    set(type, address, data);
}

void LinkMessage::clear() {
    set(msg::kNone, 0, Data{});
}

void LinkMessage::set(std::uint8_t type, std::uint32_t address, const Data& data) {
    type_ = type;
    address_ = address;
    data_ = data;
    frame_ = buildFrame(type, encodeAddress(address), data);
}

void LinkMessage::setFrame(std::span<const std::uint8_t, kFrameSize> frame) {
    std::copy(frame.begin(), frame.end(), frame_.begin());
    type_ = frame[0];
    address_ = decodeAddress(addressWord());
    std::copy(frame.begin() + 3, frame.begin() + 3 + kDataSize, data_.begin());
}

bool LinkMessage::checksumOk() const {
    const std::uint16_t sum = checksum(std::span(frame_).first(19));
    return frame_[19] == (sum >> 8) && frame_[20] == (sum & 0xFF);
}

std::uint16_t LinkMessage::encodeAddress(std::uint32_t address) {
    return static_cast<std::uint16_t>((address & 0xFFF0) | ((address >> 16) & 0x000F));
}

std::uint32_t LinkMessage::decodeAddress(std::uint16_t word) {
    return (static_cast<std::uint32_t>(word & 0x000F) << 16) | (word & 0xFFF0);
}

std::uint16_t LinkMessage::checksum(std::span<const std::uint8_t> bytes) {
    std::uint16_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint16_t>(sum + b);
        sum = static_cast<std::uint16_t>(sum << 1 | sum >> 15);
    }
    return sum;
}

LinkMessage::Data LinkMessage::packText(std::string_view text) {
    Data data{};
    const std::size_t n = std::min<std::size_t>(text.size(), 6);
    for (std::size_t i = 0; i < n; ++i) {
        // Whatever is given is packed as the panel would see it: the character's value
        // less '0', kept to a nibble.
        const auto digit =
            static_cast<std::uint8_t>((static_cast<unsigned char>(text[i]) - '0') & 0x0F);
        data[i / 2] |= (i % 2 == 0) ? static_cast<std::uint8_t>(digit << 4) : digit;
    }
    return data;
}

LinkMessage::Frame LinkMessage::buildFrame(std::uint8_t type, std::uint16_t addressWord,
                                           const Data& data) {
    Frame f{};
    f[0] = type;
    f[1] = static_cast<std::uint8_t>(addressWord >> 8);
    f[2] = static_cast<std::uint8_t>(addressWord & 0xFF);
    std::copy(data.begin(), data.end(), f.begin() + 3);
    const std::uint16_t sum = checksum(std::span(f).first(19));
    f[19] = static_cast<std::uint8_t>(sum >> 8);
    f[20] = static_cast<std::uint8_t>(sum & 0xFF);
    return f;
}

}  // namespace loom

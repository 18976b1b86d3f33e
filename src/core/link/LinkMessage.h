#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace loom {

// Message types of the panel protocol.
namespace msg {
inline constexpr std::uint8_t kReadProm = 0x01;
inline constexpr std::uint8_t kPromBlock = 0x02;
inline constexpr std::uint8_t kPromEnd = 0x03;
inline constexpr std::uint8_t kWriteBlock = 0x04;
inline constexpr std::uint8_t kErase = 0x06;
inline constexpr std::uint8_t kEraseDone = 0x07;
inline constexpr std::uint8_t kTimestamp = 0x0A;
inline constexpr std::uint8_t kReadLog = 0x20;
inline constexpr std::uint8_t kLogBlock = 0x21;
inline constexpr std::uint8_t kLogEnd = 0x22;
inline constexpr std::uint8_t kReadPromNoErase = 0x30;
inline constexpr std::uint8_t kProbe = 0x44;
inline constexpr std::uint8_t kIdentity0 = 0x80;
inline constexpr std::uint8_t kIdentity1 = 0x81;
inline constexpr std::uint8_t kIdentity2 = 0x82;
inline constexpr std::uint8_t kQueryIdentity = 0x90;
inline constexpr std::uint8_t kLogin = 0x91;
inline constexpr std::uint8_t kLoginRefused = 0x92;
inline constexpr std::uint8_t kLoginAccepted = 0x93;
inline constexpr std::uint8_t kEndConnection = 0xA0;
inline constexpr std::uint8_t kNone = 0xFE;

inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
}  // namespace msg

// One 21-byte frame: type, encoded address word, 16 data bytes, checksum. The frame bytes
// are rebuilt whenever a field is set, so the two views always agree.
class LinkMessage {
  public:
    static constexpr std::size_t kFrameSize = 21;
    static constexpr std::size_t kDataSize = 16;
    using Frame = std::array<std::uint8_t, kFrameSize>;
    using Data = std::array<std::uint8_t, kDataSize>;

    // Type 0xFE, address 0, zero data.
    LinkMessage();
    LinkMessage(std::uint8_t type, std::uint32_t address, const Data& data);

    // Type 0xFE, address 0, zero data.
    void clear();
    void set(std::uint8_t type, std::uint32_t address, const Data& data);
    // A frame as it came from the wire: type, decoded address and data taken from it, the
    // bytes (checksum included, right or wrong) kept as they are.
    void setFrame(std::span<const std::uint8_t, kFrameSize> frame);

    std::uint8_t type() const { return type_; }
    std::uint32_t address() const { return address_; }
    // The 16-bit word in bytes 1-2 as it travels.
    std::uint16_t addressWord() const {
        return static_cast<std::uint16_t>(frame_[1] << 8 | frame_[2]);
    }
    const Data& data() const { return data_; }
    const Frame& frame() const { return frame_; }
    bool checksumOk() const;

    // A 20-bit block address as its 16-bit wire word, and back.
    static std::uint16_t encodeAddress(std::uint32_t address);
    static std::uint32_t decodeAddress(std::uint16_t word);
    // Add each byte, then rotate the 16-bit register left by one.
    static std::uint16_t checksum(std::span<const std::uint8_t> bytes);
    // A command's data: the text cut to 6 characters, character i as a decimal digit in
    // byte i/2 (high nibble for even i); an empty text gives 16 zero bytes.
    static Data packText(std::string_view text);
    // A frame with an explicit address word (log blocks carry a number, not an address).
    static Frame buildFrame(std::uint8_t type, std::uint16_t addressWord, const Data& data);

  private:
    std::uint8_t type_;
    std::uint32_t address_;
    Data data_;
    Frame frame_;
};

}  // namespace loom

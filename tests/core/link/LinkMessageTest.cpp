#include "link/LinkMessage.h"

#include <gtest/gtest.h>

#include "support/HexBytes.h"

namespace loom {
namespace {

using test::hexBytes;
using test::hexString;

TEST(LinkMessage, FramesAsTheyTravel) {
    LinkMessage::Data data;
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(hexString(LinkMessage(msg::kWriteBlock, 0x12340, data).frame()),
              "04 23 41 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 00 FE");
    EXPECT_EQ(hexString(std::span(LinkMessage(msg::kProbe, 0, {}).frame()).last(2)), "02 20");

    auto bytes = hexBytes("04 23 41 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 00 FF");
    LinkMessage damaged;
    damaged.setFrame(std::span<const std::uint8_t, 21>(bytes.data(), 21));
    EXPECT_FALSE(damaged.checksumOk());
    EXPECT_EQ(damaged.type(), msg::kWriteBlock);
}

TEST(LinkMessage, AddressesTravelAsTheWordAndComeBack) {
    for (const auto& [address, wire] : std::vector<std::pair<std::uint32_t, const char*>>{
             {0x12340, "23 41"}, {0xFFFF0, "FF FF"}, {0x10000, "00 01"}, {0x0FFF0, "FF F0"}}) {
        const LinkMessage message(msg::kWriteBlock, address, {});
        EXPECT_EQ(hexString(std::span(message.frame()).subspan(1, 2)), wire) << address;
        LinkMessage received;
        received.setFrame(message.frame());
        EXPECT_EQ(received.address(), address);
    }
}

TEST(LinkMessage, TextPacksTwoDigitsToAByteHighNibbleFirst) {
    for (const auto& [text, data] : std::vector<std::pair<const char*, const char*>>{
             {"12345678", "12 34 56 00 00 00 00 00 00 00 00 00 00 00 00 00"},
             {"907", "90 70 00 00 00 00 00 00 00 00 00 00 00 00 00 00"}})
        EXPECT_EQ(hexString(LinkMessage::packText(text)), data) << text;
}

}  // namespace
}  // namespace loom

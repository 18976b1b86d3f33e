#include "link/LinkMessage.h"

#include <gtest/gtest.h>

#include "support/HexBytes.h"

namespace loom {
namespace {

using test::hexBytes;
using test::hexString;

struct AddressCase {
    std::uint32_t address;
    const char* wire;
};

class AddressEncoding : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressEncoding, TravelsAsTheWordAndComesBack) {
    const AddressCase& c = GetParam();
    const LinkMessage message(msg::kWriteBlock, c.address, {});
    EXPECT_EQ(hexString(std::span(message.frame()).subspan(1, 2)), c.wire);
    LinkMessage received;
    received.setFrame(message.frame());
    EXPECT_EQ(received.address(), c.address);
}

INSTANTIATE_TEST_SUITE_P(LinkMessage, AddressEncoding,
                         ::testing::Values(AddressCase{0x12340, "23 41"},
                                           AddressCase{0xFFFF0, "FF FF"},
                                           AddressCase{0x10000, "00 01"}, AddressCase{0, "00 00"},
                                           AddressCase{0x0FFF0, "FF F0"}));

TEST(LinkMessage, SupervisionFrameChecksum) {
    const LinkMessage probe(msg::kProbe, 0, {});
    EXPECT_EQ(hexString(std::span(probe.frame()).last(2)), "02 20");
    EXPECT_TRUE(probe.checksumOk());
}

TEST(LinkMessage, WriteBlockFrameAsItTravels) {
    LinkMessage::Data data;
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(hexString(LinkMessage(msg::kWriteBlock, 0x12340, data).frame()),
              "04 23 41 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 00 FE");
}

TEST(LinkMessage, DamagedFrameKeepsItsBytesAndFailsTheChecksum) {
    auto bytes = hexBytes("04 23 41 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 00 FF");
    LinkMessage message;
    message.setFrame(std::span<const std::uint8_t, 21>(bytes.data(), 21));
    EXPECT_FALSE(message.checksumOk());
    EXPECT_EQ(message.type(), msg::kWriteBlock);
    EXPECT_EQ(message.frame().back(), 0xFF);
}

TEST(LinkMessage, ClearedMessageIsTheNoMessagePlaceholder) {
    LinkMessage message(msg::kLogin, 0x100, LinkMessage::packText("1"));
    message.clear();
    EXPECT_EQ(message.type(), msg::kNone);
    EXPECT_EQ(message.address(), 0u);
    EXPECT_EQ(message.data(), LinkMessage::Data{});
}

struct PackCase {
    const char* text;
    const char* data;
};

class TextPacking : public ::testing::TestWithParam<PackCase> {};

TEST_P(TextPacking, DigitsGoTwoToAByteHighNibbleFirst) {
    EXPECT_EQ(hexString(LinkMessage::packText(GetParam().text)), GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(
    LinkMessage, TextPacking,
    ::testing::Values(PackCase{"123456", "12 34 56 00 00 00 00 00 00 00 00 00 00 00 00 00"},
                      PackCase{"12345678", "12 34 56 00 00 00 00 00 00 00 00 00 00 00 00 00"},
                      PackCase{"", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
                      PackCase{"907", "90 70 00 00 00 00 00 00 00 00 00 00 00 00 00 00"}));

}  // namespace
}  // namespace loom

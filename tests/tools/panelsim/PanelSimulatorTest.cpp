// What only the simulator does over its TCP port; the protocol itself is shown by the
// link's tests and the document's transfers against it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "support/FastPanelConfig.h"
#include "support/RawPanelWire.h"

namespace loom::panelsim {
namespace {

using test::RawPanelWire;

LinkMessage::Data filled(std::uint8_t value) {
    LinkMessage::Data d;
    d.fill(value);
    return d;
}

TEST(PanelTcp, ObeysOnlyAfterALoginAndKeepsBlocksWithinThePromInAddressOrder) {
    PanelSimulator panel(fastConfig());
    RawPanelWire wire = RawPanelWire::tcp(panel.startTcp().value_or(1));
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kNak);
    EXPECT_EQ(wire.command(msg::kLogin, 0, LinkMessage::packText("654321")), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kLoginRefused);
    wire.ack();
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kNak);
    EXPECT_EQ(wire.command(msg::kLogin, 0, LinkMessage::packText("123456")), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kLoginAccepted);
    wire.ack();

    // The last block of the 128 KiB PROM is taken, one beyond it refused; an erased block
    // is not kept.
    const std::uint32_t last = 0x1FFF0;
    for (const auto& [address, answer] : std::vector<std::pair<std::uint32_t, std::uint8_t>>{
             {last, msg::kAck}, {0x00020, msg::kAck}, {0x20000, msg::kNak}})
        EXPECT_EQ(wire.command(msg::kWriteBlock, LinkMessage::encodeAddress(address),
                               filled(static_cast<std::uint8_t>(address >> 12))),
                  answer)
            << address;
    EXPECT_EQ(wire.command(msg::kWriteBlock, LinkMessage::encodeAddress(0x400), filled(0xFF)),
              msg::kAck);
    ASSERT_EQ(wire.command(msg::kReadProm), msg::kAck);
    for (const std::uint32_t address : {0x00020u, last}) {
        const LinkMessage m = wire.readFrame();
        wire.ack();
        EXPECT_EQ(m.type(), msg::kPromBlock);
        EXPECT_EQ(m.address(), address);
        EXPECT_EQ(m.data(), filled(static_cast<std::uint8_t>(address >> 12)));
    }
    EXPECT_EQ(wire.readFrame().type(), msg::kPromEnd);
    wire.ack();

    // The end of the connection forgets the login.
    EXPECT_EQ(wire.command(msg::kEndConnection), msg::kAck);
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kNak);
}

}  // namespace
}  // namespace loom::panelsim

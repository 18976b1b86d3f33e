#include <gtest/gtest.h>

#include <string>

#include "PanelSimulator.h"
#include "support/FastPanelConfig.h"
#include "support/RawPanelWire.h"

namespace loom::panelsim {
namespace {

using test::RawPanelWire;
using Bytes = RawPanelWire::Bytes;

Bytes text(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(PanelModem, AnswersTheDialogueAndCarriesThePanelWhenConnected) {
    PanelSimulator panel(fastConfig());
    const auto device = panel.startModem();
    ASSERT_TRUE(device.has_value());
    RawPanelWire wire = RawPanelWire::serial(*device);
    for (const char* command : {"ATE0\r", "ATV0\r", "ATX0\r", "AT+MS=2,1,300,2400\r"}) {
        wire.send(command);
        EXPECT_EQ(wire.read(2), text("0\r")) << command;
    }
    wire.send("HELLO\r");
    EXPECT_EQ(wire.read(2), text("4\r"));
    wire.send("ATDT 5551234\r");
    EXPECT_EQ(wire.read(2), text("1\r"));
    // A call needs its own login; hanging up returns to command mode.
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kNak);
    EXPECT_EQ(wire.command(msg::kLogin, 0, LinkMessage::packText("123456")), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kLoginAccepted);
    wire.ack();
    wire.send("+++");
    EXPECT_EQ(wire.read(2), text("0\r"));
    wire.send("ATH\r");
    EXPECT_EQ(wire.read(2), text("0\r"));
    // A dropped call ends in NO CARRIER and command mode.
    PanelFaults drop;
    drop.dropAfterBlocks = 0;
    panel.setFaults(drop);
    wire.send("ATDT1\r");
    ASSERT_EQ(wire.read(2), text("1\r"));
    ASSERT_EQ(wire.command(msg::kLogin, 0, LinkMessage::packText("123456")), msg::kAck);
    ASSERT_EQ(wire.readFrame().type(), msg::kLoginAccepted);
    wire.ack();
    EXPECT_EQ(wire.command(msg::kReadProm), msg::kAck);
    EXPECT_EQ(wire.read(2), text("3\r"));
    wire.send("AT\r");
    EXPECT_EQ(wire.read(2), text("0\r"));
}

}  // namespace
}  // namespace loom::panelsim

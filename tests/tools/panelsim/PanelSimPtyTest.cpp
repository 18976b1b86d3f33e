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
    wire.send("HELLO\r");
    EXPECT_EQ(wire.read(2), text("4\r"));
    wire.send("ATDT 5551234\r");
    EXPECT_EQ(wire.read(2), text("1\r"));
    // A call needs its own login; hanging up returns to command mode.
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kNak);
    EXPECT_EQ(wire.command(msg::kLogin, 0, LinkMessage::packText("123456")), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kLoginAccepted);
    wire.ack();
    for (const char* command : {"+++", "ATH\r"}) {
        wire.send(command);
        EXPECT_EQ(wire.read(2), text("0\r")) << command;
    }
}

}  // namespace
}  // namespace loom::panelsim

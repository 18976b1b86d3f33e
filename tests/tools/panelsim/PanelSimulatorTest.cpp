#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "archive/FileId.h"
#include "support/FastPanelConfig.h"
#include "support/RawPanelWire.h"

namespace loom::panelsim {
namespace {

using test::RawPanelWire;
using namespace std::chrono_literals;

LinkMessage::Data counting(std::uint8_t first) {
    LinkMessage::Data d{};
    for (std::size_t i = 0; i < d.size(); ++i)
        d[i] = static_cast<std::uint8_t>(first + i);
    return d;
}

// A panel on loopback TCP and one host connection to it.
class PanelTcp : public ::testing::Test {
  protected:
    RawPanelWire connect(PanelConfig config = fastConfig()) {
        panel_ = std::make_unique<PanelSimulator>(std::move(config));
        const auto port = panel_->startTcp();
        EXPECT_TRUE(port.has_value());
        return RawPanelWire::tcp(port.value_or(1));
    }
    // Login with the default code; the panel's 0x93 acknowledged.
    static void login(RawPanelWire& wire) {
        ASSERT_EQ(wire.command(msg::kLogin, 0, LinkMessage::packText("123456")), msg::kAck);
        ASSERT_EQ(wire.readFrame().type(), msg::kLoginAccepted);
        wire.ack();
    }
    // The frames of one read after its ACK, each acknowledged, up to the end type.
    static std::vector<LinkMessage> framesUntil(RawPanelWire& wire, std::uint8_t endType) {
        std::vector<LinkMessage> frames;
        for (;;) {
            LinkMessage m = wire.readFrame();
            if (m.type() == msg::kNone) return frames;
            wire.ack();
            frames.push_back(m);
            if (m.type() == endType) return frames;
        }
    }
    std::unique_ptr<PanelSimulator> panel_;
};

TEST_F(PanelTcp, LoginDecidesWhetherCommandsAreObeyed) {
    RawPanelWire wire = connect();
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kNak);
    EXPECT_EQ(wire.command(msg::kLogin, 0, LinkMessage::packText("654321")), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kLoginRefused);
    wire.ack();
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kNak);
    login(wire);
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kIdentity0);
    wire.ack();
    // The end of the connection forgets the login.
    EXPECT_EQ(wire.command(msg::kEndConnection), msg::kAck);
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kNak);
}

TEST_F(PanelTcp, IdentityCarriesTheKeepAliveBitInTheAddressWord) {
    for (const bool keepAlive : {false, true}) {
        PanelConfig config = fastConfig();
        config.settings.keepAlive = keepAlive;
        RawPanelWire wire = connect(config);
        login(wire);
        ASSERT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
        const LinkMessage identity = wire.readFrame();
        EXPECT_TRUE(identity.checksumOk());
        EXPECT_EQ(identity.addressWord(), keepAlive ? 1 : 0);
        EXPECT_TRUE(std::equal(identity.data().begin(), identity.data().end(),
                               PanelSettings::defaultIdentity().begin()));
    }
}

TEST_F(PanelTcp, EraseWaitsThenClearsThePromBeforeItsAnswer) {
    PanelConfig config = fastConfig();
    config.settings.eraseDelayMs = 50;
    config.image.write(0x100, counting(1));
    RawPanelWire wire = connect(config);
    login(wire);
    ASSERT_EQ(wire.command(msg::kErase), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kEraseDone);
    wire.ack();
    EXPECT_TRUE(panel_->image().empty());
}

TEST_F(PanelTcp, WrittenBlocksAreReadBackInAddressOrder) {
    RawPanelWire wire = connect();
    login(wire);
    const std::uint32_t addresses[] = {0x1D000, 0x00020, 0x10040};
    for (std::uint32_t a : addresses)
        ASSERT_EQ(wire.command(msg::kWriteBlock, LinkMessage::encodeAddress(a),
                               counting(static_cast<std::uint8_t>(a >> 4))),
                  msg::kAck);
    LinkMessage::Data erased;
    erased.fill(0xFF);
    EXPECT_EQ(wire.command(msg::kWriteBlock, LinkMessage::encodeAddress(0x400), erased), msg::kAck);
    // Beyond the 128 KiB PROM: refused, not lost in silence.
    EXPECT_EQ(wire.command(msg::kWriteBlock, LinkMessage::encodeAddress(0x20000), counting(0)),
              msg::kNak);
    LinkMessage::Data stamp{};
    const std::string digits = "202401311745";
    std::copy(digits.begin(), digits.end(), stamp.begin());
    EXPECT_EQ(wire.command(msg::kTimestamp, 0, stamp), msg::kAck);
    EXPECT_EQ(panel_->lastTimestamp(), digits);

    ASSERT_EQ(wire.command(msg::kReadProm), msg::kAck);
    const std::vector<LinkMessage> frames = framesUntil(wire, msg::kPromEnd);
    ASSERT_EQ(frames.size(), 4u);
    const std::uint32_t sorted[] = {0x00020, 0x10040, 0x1D000};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(frames[i].type(), msg::kPromBlock);
        EXPECT_EQ(frames[i].addressWord(), LinkMessage::encodeAddress(sorted[i]));
        EXPECT_EQ(frames[i].data(), counting(static_cast<std::uint8_t>(sorted[i] >> 4)));
    }
    EXPECT_EQ(frames[3].type(), msg::kPromEnd);
}

TEST_F(PanelTcp, LogReadNamesTheFileThenSendsRecordsNewestFirst) {
    for (const std::string fileId : {"B1234560", ""}) {
        PanelConfig config = fastConfig();
        config.settings.fileId = fileId;
        config.log = {counting(0x10), counting(0x20), counting(0x30)};
        RawPanelWire wire = connect(config);
        login(wire);
        ASSERT_EQ(wire.command(msg::kReadLog), msg::kAck);
        const LinkMessage first = wire.readFrame();
        wire.ack();
        if (fileId.empty()) {
            EXPECT_EQ(first.type(), msg::kPromEnd);
        } else {
            EXPECT_EQ(first.type(), msg::kPromBlock);
            EXPECT_EQ(FileIdFromBytes(std::span(first.data()).subspan(8)), fileId);
        }
        const std::vector<LinkMessage> frames = framesUntil(wire, msg::kLogEnd);
        ASSERT_EQ(frames.size(), 4u);
        for (std::uint16_t n = 0; n < 3; ++n) {
            EXPECT_EQ(frames[n].type(), msg::kLogBlock);
            EXPECT_EQ(frames[n].addressWord(), n);
            EXPECT_EQ(frames[n].data(), counting(static_cast<std::uint8_t>(0x30 - 0x10 * n)));
        }
        EXPECT_EQ(frames[3].type(), msg::kLogEnd);
    }
}

TEST_F(PanelTcp, RepetitionIsAcknowledgedWithoutActingAgain) {
    RawPanelWire wire = connect();
    login(wire);
    const auto word = LinkMessage::encodeAddress(0x200);
    EXPECT_EQ(wire.command(msg::kWriteBlock, word, counting(0)), msg::kAck);
    EXPECT_EQ(wire.command(msg::kWriteBlock, word, counting(0)), msg::kAck);
    EXPECT_EQ(panel_->counters().blocksWritten, 1u);
    EXPECT_EQ(panel_->counters().repetitions, 1u);
    // A panel frame in between makes the same command a new one.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
        EXPECT_EQ(wire.readFrame().type(), msg::kIdentity0);
        wire.ack();
    }
    // A spoilt frame is refused, and its good copy then obeyed.
    LinkMessage::Frame bad = LinkMessage::buildFrame(msg::kWriteBlock, word, counting(9));
    bad[20] ^= 1;
    wire.send(bad);
    EXPECT_EQ(wire.readByte(), msg::kNak);
    EXPECT_EQ(wire.command(msg::kWriteBlock, word, counting(9)), msg::kAck);
    EXPECT_EQ(panel_->image().read(0x200, 1)[0], 9);
}

TEST_F(PanelTcp, AFrameInPlaceOfTheAckEndsTheOperationAndIsObeyed) {
    RawPanelWire wire = connect();
    login(wire);
    ASSERT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kIdentity0);
    EXPECT_EQ(wire.command(msg::kWriteBlock, 0x0010, counting(7)), msg::kAck);
    EXPECT_EQ(panel_->image().at(0x10), 7);
    EXPECT_EQ(panel_->counters().resends, 0u);
}

TEST_F(PanelTcp, NakEveryRefusesEveryNthFrameEvenWhenGood) {
    PanelConfig config = fastConfig();
    config.settings.faults.nakEvery = 2;
    RawPanelWire wire = connect(config);
    login(wire);  // frame 1
    std::vector<std::uint8_t> answers;
    for (std::uint32_t a = 0; a < 4 * 16; a += 16)  // frames 2-5
        answers.push_back(
            wire.command(msg::kWriteBlock, LinkMessage::encodeAddress(a), counting(0)));
    EXPECT_EQ(answers, (std::vector<std::uint8_t>{msg::kNak, msg::kAck, msg::kNak, msg::kAck}));
    EXPECT_EQ(panel_->counters().blocksWritten, 2u);
}

TEST_F(PanelTcp, DuplicateEverySendsTheFrameTwiceAndWaitsForOneAck) {
    PanelConfig config = fastConfig();
    config.settings.faults.duplicateEvery = 2;
    RawPanelWire wire = connect(config);
    login(wire);  // 0x93 is the first outgoing frame
    ASSERT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
    const LinkMessage first = wire.readFrame();
    const LinkMessage second = wire.readFrame();
    EXPECT_EQ(first.type(), msg::kIdentity0);
    EXPECT_EQ(first.frame(), second.frame());
    wire.ack();
    EXPECT_EQ(wire.command(msg::kProbe), msg::kAck);
    EXPECT_EQ(panel_->counters().resends, 0u);
}

TEST_F(PanelTcp, CorruptEverySpoilsTheChecksumAndNakBringsAGoodCopy) {
    PanelConfig config = fastConfig();
    config.settings.faults.corruptEvery = 2;
    RawPanelWire wire = connect(config);
    login(wire);
    ASSERT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
    EXPECT_FALSE(wire.readFrame().checksumOk());
    wire.nak();
    EXPECT_TRUE(wire.readFrame().checksumOk());
    wire.ack();
    // Every copy spoilt: the panel gives up after the first send and seven more.
    PanelFaults always;
    always.corruptEvery = 1;
    panel_->setFaults(always);
    ASSERT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
    for (int i = 0; i < 8; ++i) {
        EXPECT_FALSE(wire.readFrame().checksumOk());
        wire.nak();
    }
    EXPECT_EQ(
        panel_->waitFor([](const PanelCounters& c) { return c.sendsGivenUp == 1; }).sendsGivenUp,
        1u);
}

TEST_F(PanelTcp, DropAfterBlocksClosesTheConnectionMidRead) {
    PanelConfig config = fastConfig();
    config.settings.faults.dropAfterBlocks = 2;
    for (std::uint32_t a : {0x00u, 0x10u, 0x20u})
        config.image.write(a, counting(1));
    RawPanelWire wire = connect(config);
    login(wire);
    ASSERT_EQ(wire.command(msg::kReadProm), msg::kAck);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(wire.readFrame().type(), msg::kPromBlock);
        wire.ack();
    }
    EXPECT_TRUE(wire.closedByPeer());
}

TEST_F(PanelTcp, DropAfterBlocksClosesTheConnectionMidWrite) {
    PanelConfig config = fastConfig();
    config.settings.faults.dropAfterBlocks = 1;
    RawPanelWire wire = connect(config);
    login(wire);
    EXPECT_EQ(wire.command(msg::kWriteBlock, 0x0000, counting(1)), msg::kAck);
    wire.sendFrame(msg::kWriteBlock, 0x0010, counting(2));
    EXPECT_TRUE(wire.closedByPeer());
    EXPECT_EQ(panel_->image().blockCount(), 1u);
}

TEST_F(PanelTcp, NoIdentityAcknowledgesTheQueryAndNeverAnswers) {
    PanelConfig config = fastConfig();
    config.settings.faults.noIdentity = true;
    RawPanelWire wire = connect(config);
    login(wire);
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
    EXPECT_TRUE(wire.silentFor(500ms));
}

TEST_F(PanelTcp, UnaskedIdentityComesOnItsOwnAfterConnectingAndEachOperation) {
    PanelConfig config = fastConfig();
    config.settings.faults.unaskedIdentity = true;
    RawPanelWire wire = connect(config);
    EXPECT_EQ(wire.readFrame().type(), msg::kIdentity0);
    wire.ack();
    login(wire);
    EXPECT_EQ(wire.readFrame().type(), msg::kIdentity0);
    wire.ack();
    EXPECT_EQ(wire.command(msg::kQueryIdentity), msg::kAck);
    EXPECT_TRUE(wire.silentFor(300ms));
    EXPECT_EQ(wire.command(msg::kReadProm), msg::kAck);
    EXPECT_EQ(wire.readFrame().type(), msg::kPromEnd);
    wire.ack();
    EXPECT_EQ(wire.readFrame().type(), msg::kIdentity0);
}

}  // namespace
}  // namespace loom::panelsim

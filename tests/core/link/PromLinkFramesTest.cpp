#include <gtest/gtest.h>

#include <algorithm>

#include "link/PromLink.h"
#include "platform/WaitableEvent.h"
#include "support/HexBytes.h"
#include "support/LinkTestBed.h"

namespace loom {
namespace {

using test::Bytes;
using test::frameBytes;
using test::hexString;
using test::MemoryLine;
using test::ScriptedPanel;

const char* const kLinkBroken = "Kommunikationsfel\nTCP/IP-uppkopplingen avbryten";

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A PROM block frame told apart from others by its first data byte.
Bytes block(std::uint8_t tag, bool goodChecksum = true) {
    LinkMessage::Data data{};
    data[0] = tag;
    Bytes f = frameBytes(msg::kPromBlock, 0x0010, data);
    if (!goodChecksum) f.back() ^= 0xFF;
    return f;
}

// Frames a second apart: a serial link purges its input after a rejected frame, so a
// panel sends the next one only after that.
void feedSpaced(MemoryLine& line, const std::vector<Bytes>& frames) {
    for (std::size_t i = 0; i < frames.size(); ++i)
        line.feedAt(line.clock.now + 1000 * (i + 1), frames[i]);
}

class PromLinkFrames : public ::testing::Test {
  protected:
    test::LinkTestBed bed;
    PromLink& link = bed.link();
};

// ---- sending ----

struct SendCase {
    const char* name;
    std::vector<Bytes> answers;  // the panel's answer to each attempt in turn
    bool sent;
    std::size_t attempts;
};

class SendFrameAnswers : public PromLinkFrames, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendFrameAnswers, SevenAttemptsAtMost) {
    const SendCase& c = GetParam();
    auto line = bed.openSerial();
    ScriptedPanel panel;
    panel.ackFrames = false;
    panel.onFrame = [&](const LinkMessage&) {
        const std::size_t i = panel.frames.size() - 1;
        return i < c.answers.size() ? c.answers[i] : Bytes{};
    };
    panel.attach(*line);
    EXPECT_EQ(link.SendCommand(msg::kErase, ""), c.sent);
    EXPECT_EQ(panel.frames.size(), c.attempts);
    EXPECT_EQ(link.FramesWritten(), c.attempts);
    EXPECT_TRUE(bed.prompt.entries.empty());
}

const Bytes kNak{msg::kNak};
const Bytes kAck{msg::kAck};

INSTANTIATE_TEST_SUITE_P(
    PromLink, SendFrameAnswers,
    ::testing::Values(SendCase{"Ack", {kAck}, true, 1},
                      SendCase{"NakCountsAsAFailedAttempt", std::vector<Bytes>(7, kNak), false, 7},
                      SendCase{"AckAfterTwoNaks", {kNak, kNak, kAck}, true, 3},
                      SendCase{"OtherBytesBeforeTheAckAreSkipped", {{0x41, 0x02, 0x06}}, true, 1},
                      SendCase{"Silence", {}, false, 7},
                      SendCase{
                          "AckOnTheSeventh", {kNak, {}, kNak, {0x99}, kNak, kNak, kAck}, true, 7}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(PromLinkFrames, FramesArePacedForThePanel) {
    auto line = bed.openSerial();
    ScriptedPanel panel;
    panel.ackFrames = false;
    panel.onFrame = [](const LinkMessage&) { return Bytes{msg::kNak}; };
    panel.attach(*line);
    link.SendBlock(0x12340, {});
    const std::vector<int> expected{30, 500, 30, 500, 30, 500, 30, 500, 30, 500, 30, 500, 30, 500};
    EXPECT_EQ(bed.clock.sleeps, expected);
}

TEST_F(PromLinkFrames, FailedSerialWriteIsRetriedAfterAPurge) {
    auto line = bed.openSerial();
    ScriptedPanel panel;
    panel.attach(*line);
    line->failWrites = 2;
    const int purgesBefore = line->purges;
    EXPECT_TRUE(link.SendCommand(msg::kReadProm, ""));
    EXPECT_EQ(line->purges - purgesBefore, 2);
    EXPECT_EQ(panel.frames.size(), 1u);
}

TEST_F(PromLinkFrames, FailedTcpSendClosesTheLinkWithTheMessage) {
    auto line = bed.openTcp();
    line->failWrites = 1;
    EXPECT_FALSE(link.SendCommand(msg::kReadProm, ""));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{kLinkBroken});
    EXPECT_EQ(bed.prompt.entries[0].kind, MessageKind::Warning);
}

// ---- receiving ----

TEST_F(PromLinkFrames, RepeatedFrameGetsNoReply) {
    auto line = bed.openSerial();
    line->feed(concat({block(1), block(1), block(1), block(2)}));
    LinkMessage::Data data{};
    std::uint32_t address = 0;
    bool end = false;
    ASSERT_TRUE(link.ReceiveBlock(data, address, end));
    EXPECT_EQ(data[0], 1);
    ASSERT_TRUE(link.ReceiveBlock(data, address, end));
    EXPECT_EQ(data[0], 2);
    EXPECT_EQ(address, 0x10u);
    EXPECT_FALSE(end);
    EXPECT_EQ(hexString(line->written), "06 06");
}

TEST_F(PromLinkFrames, RepeatedFrameRestartsTheAttempts) {
    auto line = bed.openSerial();
    // Six rejected frames, the last one again, six more: only the restart lets the good
    // frame after them count.
    std::vector<Bytes> stream;
    for (std::uint8_t i = 0; i < 6; ++i)
        stream.push_back(block(static_cast<std::uint8_t>(10 + i), false));
    stream.push_back(stream.back());
    for (std::uint8_t i = 0; i < 6; ++i)
        stream.push_back(block(static_cast<std::uint8_t>(20 + i), false));
    stream.push_back(block(2));
    feedSpaced(*line, stream);
    LinkMessage message;
    ASSERT_TRUE(link.ReceiveFrame(message, 1, msg::kPromBlock));
    EXPECT_EQ(message.data()[0], 2);
    EXPECT_EQ(std::count(line->written.begin(), line->written.end(), msg::kNak), 12);
    EXPECT_EQ(link.AckBytesWritten(), 13u);
}

TEST_F(PromLinkFrames, ReceiveEndsAfterSevenRejectedFrames) {
    auto line = bed.openSerial();
    std::vector<Bytes> stream;
    for (std::uint8_t i = 0; i < 8; ++i)
        stream.push_back(block(i, false));
    feedSpaced(*line, stream);
    LinkMessage message;
    EXPECT_FALSE(link.ReceiveFrame(message, 1, msg::kPromBlock));
    EXPECT_EQ(hexString(line->written), "15 15 15 15 15 15 15");
}

struct RejectCase {
    const char* name;
    Bytes first;
};

class RejectedFrame : public PromLinkFrames, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(RejectedFrame, GetsANakAndTheNextGoodOneIsTaken) {
    auto line = bed.openSerial();
    feedSpaced(*line, {GetParam().first, block(7)});
    LinkMessage message;
    ASSERT_TRUE(link.ReceiveFrame(message, 1, msg::kPromBlock, msg::kPromEnd));
    EXPECT_EQ(message.data()[0], 7);
    EXPECT_EQ(hexString(line->written), "15 06");
}

INSTANTIATE_TEST_SUITE_P(
    PromLink, RejectedFrame,
    ::testing::Values(RejectCase{"BadChecksum", block(3, false)},
                      RejectCase{"UnexpectedType", frameBytes(msg::kLogBlock, 0x0010)},
                      RejectCase{"NoMessagePlaceholder", frameBytes(msg::kNone, 0x0010)}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(PromLinkFrames, TcpTimeoutEndsAtOnceSerialWaitsSevenTimes) {
    struct Case {
        bool tcp;
        std::uint64_t waited;
    };
    // One unit of 7 s ends once 8 whole seconds have passed.
    for (const Case c : {Case{true, 8000}, Case{false, 7 * 8000}}) {
        SCOPED_TRACE(c.tcp ? "tcp" : "serial");
        auto line = c.tcp ? bed.openTcp() : bed.openSerial();
        const std::uint64_t start = bed.clock.now;
        LinkMessage message;
        EXPECT_FALSE(link.ReceiveFrame(message, 1, msg::kPromBlock));
        EXPECT_EQ(bed.clock.now - start, c.waited);
        EXPECT_TRUE(line->written.empty());
        EXPECT_TRUE(link.IsOpen());
    }
}

TEST_F(PromLinkFrames, TcpEndOfStreamOrErrorClosesTheLinkWithTheMessage) {
    for (const ReadStatus status : {ReadStatus::Closed, ReadStatus::Failed}) {
        auto line = bed.openTcp();
        line->feed(Bytes(10, 0x02));  // part of a frame, then the end
        line->whenEmpty = status;
        LinkMessage message;
        EXPECT_FALSE(link.ReceiveFrame(message, 50, msg::kPromBlock));
        EXPECT_FALSE(link.IsOpen());
        EXPECT_FALSE(line->open);
        EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{kLinkBroken});
        bed.prompt.entries.clear();
    }
}

TEST_F(PromLinkFrames, TcpFrameInPiecesIsPutTogether) {
    auto line = bed.openTcp();
    const Bytes f = block(5);
    line->feedAt(bed.clock.now + 100, Bytes(f.begin(), f.begin() + 4));
    line->feedAt(bed.clock.now + 3000, Bytes(f.begin() + 4, f.end()));
    LinkMessage message;
    ASSERT_TRUE(link.ReceiveFrame(message, 1, msg::kPromBlock));
    EXPECT_EQ(message.data()[0], 5);
}

TEST_F(PromLinkFrames, LogBlockNumberIsTheWordAsItTravelled) {
    auto line = bed.openSerial();
    // Decoded as an address, word 0x0012 would be 0x20010.
    line->feed(concat({frameBytes(msg::kLogBlock, 0x0012), frameBytes(msg::kLogEnd)}));
    LinkMessage::Data data{};
    std::uint32_t number = 0;
    bool end = false;
    ASSERT_TRUE(link.ReceiveLogBlock(data, number, end));
    EXPECT_EQ(number, 18u);
    EXPECT_FALSE(end);
    ASSERT_TRUE(link.ReceiveLogBlock(data, number, end));
    EXPECT_TRUE(end);
}

struct ReadByteCase {
    const char* name;
    bool tcp;
    void (*fault)(MemoryLine&);
    bool lost;
};

class ReadByteFaults : public PromLinkFrames, public ::testing::WithParamInterface<ReadByteCase> {};

TEST_P(ReadByteFaults, BrokenChannelClosesWithTheMessage) {
    auto line = GetParam().tcp ? bed.openTcp() : bed.openSerial();
    GetParam().fault(*line);
    std::uint8_t byte = 0;
    EXPECT_FALSE(link.ReadByte(byte));
    EXPECT_EQ(link.IsOpen(), !GetParam().lost);
    EXPECT_EQ(bed.prompt.entries.size(), GetParam().lost ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    PromLink, ReadByteFaults,
    ::testing::Values(ReadByteCase{"SerialNothingQueued", false, [](MemoryLine&) {}, false},
                      ReadByteCase{"SerialReadFails", false,
                                   [](MemoryLine& l) {
                                       l.feed(Bytes{1});
                                       l.failReads = 1;
                                   },
                                   true},
                      ReadByteCase{"SerialCannotCount", false,
                                   [](MemoryLine& l) { l.failQueued = true; }, true},
                      ReadByteCase{"TcpNothingYet", true, [](MemoryLine&) {}, false},
                      ReadByteCase{"TcpEndOfStream", true,
                                   [](MemoryLine& l) { l.whenEmpty = ReadStatus::Closed; }, true},
                      ReadByteCase{"TcpError", true,
                                   [](MemoryLine& l) { l.whenEmpty = ReadStatus::Failed; }, true}),
    [](const auto& param) { return std::string(param.param.name); });

// ---- requests ----

TEST_F(PromLinkFrames, IdentityQuery) {
    struct Case {
        const char* product;
        std::uint16_t word;
        bool asks;
        bool keepAlive;
    };
    for (const Case c :
         {Case{"Gridlan", 0x0001, true, true}, Case{"", 0x0000, true, false},
          Case{"VT 340", 0x0000, false, false}, Case{"VT 340", 0x0003, false, true}}) {
        SCOPED_TRACE(c.product);
        bed.setProduct(c.product);
        auto line = bed.openSerial();
        LinkMessage::Data name{};
        std::copy_n("GL 200 V3.1     ", 16, name.begin());
        ScriptedPanel panel;
        panel.onFrame = [&](const LinkMessage& m) {
            return m.type() == msg::kQueryIdentity ? frameBytes(msg::kIdentity1, c.word, name)
                                                   : Bytes{};
        };
        panel.attach(*line);
        // The panel that is not asked sends unasked.
        if (!c.asks) line->feed(frameBytes(msg::kIdentity0, c.word, name));
        std::string identity;
        ASSERT_TRUE(link.QueryIdentity(identity));
        EXPECT_EQ(identity, "GL 200 V3.1     ");
        EXPECT_EQ(panel.frames.size(), c.asks ? 1u : 0u);
        EXPECT_EQ(link.KeepAliveEnabled(), c.keepAlive);
    }
}

TEST_F(PromLinkFrames, IdentityQueryForgetsThePreviousFrame) {
    bed.setProduct("VT 340");
    auto line = bed.openSerial();
    const Bytes identity = frameBytes(msg::kIdentity0);
    std::string text;
    line->feed(identity);
    ASSERT_TRUE(link.QueryIdentity(text));
    line->feed(identity);  // the same reply to the next query is not a repetition
    EXPECT_TRUE(link.QueryIdentity(text));
}

TEST_F(PromLinkFrames, EraseProgressClimbsToFifty) {
    for (const bool tcp : {false, true}) {
        SCOPED_TRACE(tcp ? "tcp" : "serial");
        auto line = tcp ? bed.openTcp() : bed.openSerial();
        // 50 units are 350 s: the bar is full after a third of that.
        ScriptedPanel panel;
        panel.onFrame = [&](const LinkMessage&) {
            line->feedAt(bed.clock.now + 200'000, frameBytes(msg::kEraseDone));
            return Bytes{};
        };
        panel.attach(*line);
        std::vector<int> values;
        EXPECT_TRUE(link.Erase([&](int v) { values.push_back(v); }));
        ASSERT_FALSE(values.empty());
        EXPECT_EQ(*std::max_element(values.begin(), values.end()), 50);
        EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
        // At least every 200 ms while the panel works.
        EXPECT_GE(values.size(), 990u);
        line->peer = nullptr;
    }
}

// ---- waits and abort ----

TEST_F(PromLinkFrames, FiveUnitsGiveUpOnlyAfterMoreThanThirtyFiveWholeSeconds) {
    struct Case {
        std::uint64_t first, second;  // when the modem's two bytes come, 0 = never
        bool arrived;
    };
    // The first byte wakes the wait just past 35 s; only the second ends it.
    for (const Case c : {Case{35'500, 35'999, true}, Case{35'500, 36'000, true},
                         Case{35'500, 36'001, false}, Case{0, 0, false}}) {
        SCOPED_TRACE(c.second);
        auto line = bed.openSerial();
        const std::uint64_t start = bed.clock.now;
        if (c.first != 0) line->feedAt(start + c.first, {'1'});
        if (c.second != 0) line->feedAt(start + c.second, {'\r'});
        EXPECT_EQ(link.WaitForInput(2, 5), c.arrived);
        if (!c.arrived) {
            EXPECT_EQ(bed.clock.now - start, 36'000u);
        }
    }
}

TEST_F(PromLinkFrames, AbortEndsTheWaitAndTakesTheSignal) {
    for (const bool tcp : {false, true}) {
        SCOPED_TRACE(tcp ? "tcp" : "serial");
        auto line = tcp ? bed.openTcp() : bed.openSerial();
        WaitableEvent cancel;
        link.SetAbortEvent(&cancel);
        line->onWait = [&](MemoryLine& l) {
            if (l.waits == 1) cancel.set();
        };
        LinkMessage message;
        EXPECT_FALSE(link.ReceiveFrame(message, 50, msg::kPromBlock));
        EXPECT_TRUE(link.AbortFlag());
        EXPECT_EQ(line->waits, 1);
        EXPECT_FALSE(cancel.tryWait());
        // Nothing more goes out while the flag is set.
        EXPECT_FALSE(link.SendCommand(msg::kReadProm, ""));
        EXPECT_TRUE(line->written.empty());
        link.SetAbortEvent(nullptr);
    }
}

// ---- supervision ----

class Supervision : public PromLinkFrames {
  protected:
    // A TCP link whose panel asked to be kept alive, silent from now on.
    void SetUp() override {
        bed.setProduct("VT 340");  // sends its identity unasked
        line = bed.openTcp();
        line->feed(frameBytes(msg::kIdentity0, 0x0001));
        std::string identity;
        ASSERT_TRUE(link.QueryIdentity(identity));
        ASSERT_TRUE(link.KeepAliveEnabled());
        line->written.clear();
        line->writes.clear();
        bed.clock.sleeps.clear();
        line->waits = 0;
        idleSince = link.LastActivity();
    }
    std::size_t probes() const {
        return static_cast<std::size_t>(
            std::count(line->writes.begin(), line->writes.end(), frameBytes(msg::kProbe)));
    }
    void at(std::uint64_t sinceIdle) { bed.clock.now = idleSince + sinceIdle; }

    std::shared_ptr<MemoryLine> line;
    std::uint64_t idleSince = 0;
};

TEST_F(Supervision, ProbesTwiceThenGivesUp) {
    at(60'000);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 0u);
    at(60'001);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 1u);
    EXPECT_EQ(link.KeepAliveState(), 1);
    at(90'001);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 1u);
    at(90'002);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 2u);
    EXPECT_EQ(link.KeepAliveState(), 2);
    EXPECT_TRUE(bed.prompt.entries.empty());
    at(120'003);
    EXPECT_FALSE(link.Supervise());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.KeepAliveState(), 0);
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{kLinkBroken});
    // It runs on the user's thread: no pause, no wait for the line, writes that do not
    // wait for the bytes to leave.
    EXPECT_TRUE(bed.clock.sleeps.empty());
    EXPECT_EQ(line->waits, 0);
    EXPECT_EQ(line->quickWrites, 2);
}

TEST_F(Supervision, ALineThatHungUpIsLostAtOnce) {
    line->hungUp = true;
    at(1'000);
    EXPECT_FALSE(link.Supervise());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(probes(), 0u);
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{kLinkBroken});
}

TEST_F(Supervision, AProbeTheSocketDoesNotTakeLosesTheLink) {
    at(60'001);
    line->failWrites = 1;
    EXPECT_FALSE(link.Supervise());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{kLinkBroken});
}

TEST_F(Supervision, AckReturnsToIdleAndOtherBytesProbeAtOnce) {
    at(61'000);
    link.Supervise();
    at(62'000);
    line->feed(Bytes{0x41});
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 2u);
    EXPECT_EQ(link.KeepAliveState(), 2);
    at(63'000);
    line->feed(Bytes{msg::kAck});
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(link.KeepAliveState(), 0);
    EXPECT_EQ(link.LastActivity(), idleSince + 63'000);
}

TEST_F(Supervision, NothingWhileTheTransferDialogIsOpen) {
    link.SetTransferDialogOpen(true);
    at(200'000);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 0u);
}

TEST_F(Supervision, AwaitAckBeforeAnOperation) {
    at(61'000);
    link.Supervise();
    line->feedAt(bed.clock.now + 5'000, Bytes{0x33, msg::kAck});
    EXPECT_TRUE(link.AwaitSupervisionAck());
    EXPECT_EQ(link.KeepAliveState(), 0);
    EXPECT_TRUE(link.AwaitSupervisionAck());  // idle: nothing to wait for

    at(130'000);
    const std::uint64_t probed = bed.clock.now;
    link.Supervise();
    EXPECT_FALSE(link.AwaitSupervisionAck());
    EXPECT_GT(bed.clock.now - probed, 30'000u);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{kLinkBroken});
}

}  // namespace
}  // namespace loom

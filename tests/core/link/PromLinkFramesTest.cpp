// The frame protocol over memory lines on the virtual clock: each fault of the line once.
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
using F = TransferFailure;

const Bytes kAck{msg::kAck};
const Bytes kNak{msg::kNak};

// A PROM block frame told apart from others by its first data byte.
Bytes block(std::uint8_t tag, bool goodChecksum = true) {
    LinkMessage::Data data{};
    data[0] = tag;
    Bytes f = frameBytes(msg::kPromBlock, 0x0010, data);
    if (!goodChecksum) f.back() ^= 0xFF;
    return f;
}

std::string repeated(const char* hex, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += (out.empty() ? "" : " ") + std::string(hex);
    return out;
}

std::vector<std::string> linkLostShown(bool lost) {
    return lost ? std::vector<std::string>{test::text(MessageId::CommunicationError)}
                : std::vector<std::string>{};
}

// A bed with a fresh serial or TCP line and nothing counted yet.
struct Opened {
    explicit Opened(bool tcp) : line(tcp ? bed.openTcp() : bed.openSerial()) {
        link.ResetCounters();
        link.ResetFailure();
    }
    test::LinkTestBed bed;
    PromLink& link = bed.link();
    std::shared_ptr<MemoryLine> line;
};

TEST(PromLinkFaults, ASentFrameIsTriedSevenTimesAndAFailureSaysWhy) {
    struct Case {
        const char* name;
        bool tcp;
        std::vector<Bytes> answers;  // to each attempt in turn
        bool sent;
        std::size_t attempts;
        F failure;
        int failWrites = 0;
    };
    const Bytes A = kAck, N = kNak;
    const Case cases[] = {
        {"ack", false, {A}, true, 1, F::None},
        {"stray bytes before the ack", false, {{0x41, 0x02, 0x06}}, true, 1, F::None},
        {"ack on the seventh", false, {N, {}, N, {0x99}, N, N, A}, true, 7, F::None},
        {"nak every time", false, std::vector<Bytes>(7, N), false, 7, F::TooManyRetries},
        {"silence", false, {}, false, 7, F::NoAnswer},
        {"serial write fails twice", false, {A}, true, 1, F::None, 2},
        {"tcp write fails", true, {A}, false, 0, F::LinkLost, 1},
    };
    for (const Case& c : cases) {
        Opened o(c.tcp);
        ScriptedPanel panel;
        panel.ackFrames = false;
        panel.onFrame = [&](const LinkMessage&) {
            const std::size_t i = panel.frames.size() - 1;
            return i < c.answers.size() ? c.answers[i] : Bytes{};
        };
        panel.attach(*o.line);
        o.line->failWrites = c.failWrites;
        o.bed.clock.sleeps.clear();
        EXPECT_EQ(o.link.SendCommand(msg::kErase, ""), c.sent) << c.name;
        EXPECT_EQ(panel.frames.size(), c.attempts) << c.name;
        EXPECT_EQ(o.link.FramesWritten(), c.attempts) << c.name;
        EXPECT_EQ(o.link.LastFailure(), c.failure) << c.name;
        const bool lost = c.failure == F::LinkLost;
        EXPECT_EQ(o.link.IsOpen(), !lost) << c.name;
        EXPECT_EQ(o.bed.prompt.texts(), linkLostShown(lost)) << c.name;
        // The frame gap after each frame, the retry pause after each that failed.
        std::vector<int> pauses;
        for (std::size_t i = 0; i < c.attempts && c.failWrites == 0; ++i) {
            pauses.push_back(30);
            if (i + 1 < c.attempts || !c.sent) pauses.push_back(500);
        }
        if (c.failWrites == 0) {
            EXPECT_EQ(o.bed.clock.sleeps, pauses) << c.name;
        }
    }
}

TEST(PromLinkFaults, AReceivedFrameThatCannotBeTakenGetsANakAndAFailureSaysWhy) {
    std::vector<Bytes> rejected;  // each another frame: a repeat gets no reply
    for (std::uint8_t i = 0; i < 8; ++i)
        rejected.push_back(block(i, false));
    std::vector<Bytes> restarted;  // six rejected, the last again, six more, a good one
    for (std::uint8_t i = 0; i < 13; ++i)
        restarted.push_back(i == 6 ? restarted.back() : block(i, false));
    restarted.push_back(block(2));
    struct Case {
        const char* name;
        bool tcp;
        std::vector<Bytes> frames;  // a second apart: a serial link purges after a NAK
        std::vector<int> taken;     // the tags of the frames received in turn; none: it fails
        std::string written;        // the link's ACK and NAK bytes
        F failure;
        ReadStatus whenEmpty = ReadStatus::WouldBlock;
        std::uint64_t waited = 0;  // checked when given
    };
    const Bytes logBlock = frameBytes(msg::kLogBlock, 0x0010);
    const Bytes placeholder = frameBytes(msg::kNone, 0x0010);
    const Bytes part(10, 0x02);
    const Bytes one = block(1);
    const Bytes five = block(5);
    const Bytes head(five.begin(), five.begin() + 4), tail(five.begin() + 4, five.end());
    const std::string sevenNaks = repeated("15", 7);
    const Case cases[] = {
        {"bad checksum", false, {block(3, false), block(7)}, {7}, "15 06", F::None},
        {"unexpected type", false, {logBlock, block(7)}, {7}, "15 06", F::None},
        {"placeholder type", false, {placeholder, block(7)}, {7}, "15 06", F::None},
        {"repeat gets no reply", false, {one, one, one, block(2)}, {1, 2}, "06 06", F::None},
        {"tcp frame in pieces", true, {head, tail}, {5}, "06", F::None},
        {"seven rejected", false, rejected, {}, sevenNaks, F::TooManyRetries},
        {"a repeat restarts", false, restarted, {2}, repeated("15", 12) + " 06", F::None},
        // One unit of 7 s ends once 8 whole seconds have passed.
        {"serial silence", false, {}, {}, "", F::NoAnswer, ReadStatus::WouldBlock, 7 * 8000},
        {"tcp silence", true, {}, {}, "", F::NoAnswer, ReadStatus::WouldBlock, 8000},
        {"tcp end of stream", true, {part}, {}, "", F::LinkLost, ReadStatus::Closed},
        {"tcp error", true, {part}, {}, "", F::LinkLost, ReadStatus::Failed},
    };
    for (const Case& c : cases) {
        Opened o(c.tcp);
        const std::uint64_t start = o.bed.clock.now;
        for (std::size_t i = 0; i < c.frames.size(); ++i)
            o.line->feedAt(start + 1000 * (i + 1), c.frames[i]);
        o.line->whenEmpty = c.whenEmpty;
        LinkMessage message;
        for (const int tag : c.taken) {
            ASSERT_TRUE(o.link.ReceiveFrame(message, 1, msg::kPromBlock, msg::kPromEnd)) << c.name;
            EXPECT_EQ(message.data()[0], tag) << c.name;
        }
        if (c.taken.empty()) {
            EXPECT_FALSE(o.link.ReceiveFrame(message, 1, msg::kPromBlock)) << c.name;
        }
        EXPECT_EQ(hexString(o.line->written), c.written) << c.name;
        EXPECT_EQ(o.link.LastFailure(), c.failure) << c.name;
        const bool lost = c.failure == F::LinkLost;
        EXPECT_EQ(o.line->open, !lost) << c.name;
        EXPECT_EQ(o.bed.prompt.texts(), linkLostShown(lost)) << c.name;
        if (c.waited != 0) {
            EXPECT_EQ(o.bed.clock.now - start, c.waited) << c.name;
        }
    }
}

TEST(PromLinkFaults, ABrokenChannelUnderASingleReadClosesTheLink) {
    struct Case {
        const char* name;
        bool tcp;
        int failReads;
        bool failQueued;
        ReadStatus whenEmpty;
        bool lost;
    };
    const ReadStatus idle = ReadStatus::WouldBlock;
    const Case cases[] = {
        {"serial, nothing queued", false, 0, false, idle, false},
        {"serial read fails", false, 1, false, idle, true},
        {"serial cannot count", false, 0, true, idle, true},
        {"tcp, nothing yet", true, 0, false, idle, false},
        {"tcp end of stream", true, 0, false, ReadStatus::Closed, true},
    };
    for (const Case& c : cases) {
        Opened o(c.tcp);
        if (c.failReads != 0) o.line->feed(Bytes{1});
        o.line->failReads = c.failReads;
        o.line->failQueued = c.failQueued;
        o.line->whenEmpty = c.whenEmpty;
        std::uint8_t byte = 0;
        EXPECT_FALSE(o.link.ReadByte(byte)) << c.name;
        EXPECT_EQ(o.link.IsOpen(), !c.lost) << c.name;
        EXPECT_EQ(o.bed.prompt.texts(), linkLostShown(c.lost)) << c.name;
    }
}

TEST(PromLink, ALogBlockNumberIsTheWordAsItTravelled) {
    Opened o(false);
    // Decoded as an address, word 0x0012 would be 0x20010.
    o.line->feed(frameBytes(msg::kLogBlock, 0x0012));
    LinkMessage::Data data{};
    std::uint32_t number = 0;
    bool end = true;
    ASSERT_TRUE(o.link.ReceiveLogBlock(data, number, end));
    EXPECT_EQ(number, 18u);
    EXPECT_FALSE(end);
}

// The panel answers after 7.5 s: told at 5, 6 and 7 s, then that it is heard again.
TEST(PromLink, TheUserIsToldOfASilentPanelFromFiveSeconds) {
    for (const bool ackWait : {false, true}) {
        SCOPED_TRACE(ackWait ? "serial ack" : "tcp frame");
        Opened o(!ackWait);
        std::vector<int> told;
        o.link.SetWaitSink([&](int seconds) { told.push_back(seconds); });
        const std::uint64_t start = o.bed.clock.now;
        ScriptedPanel panel;
        panel.ackFrames = false;
        panel.onFrame = [&](const LinkMessage&) {
            o.line->feedAt(start + 7'500, kAck);
            return Bytes{};
        };
        panel.attach(*o.line);
        LinkMessage message;
        if (!ackWait) o.line->feedAt(start + 7'500, frameBytes(msg::kPromBlock, 0x0010));
        EXPECT_TRUE(ackWait ? o.link.SendCommand(msg::kErase, "")
                            : o.link.ReceiveFrame(message, 2, msg::kPromBlock));
        EXPECT_EQ(told, (std::vector<int>{5, 6, 7, 0}));
        o.link.SetWaitSink(nullptr);
    }
}

TEST(PromLink, IdentityIsAskedForUnlessTheProductSendsItUnasked) {
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
        test::LinkTestBed bed;
        bed.setProduct(c.product);
        auto line = bed.openSerial();
        LinkMessage::Data name{};
        std::copy_n("GL 200 V3.1     ", 16, name.begin());
        const Bytes identity = frameBytes(c.asks ? msg::kIdentity1 : msg::kIdentity0, c.word, name);
        ScriptedPanel panel;
        panel.onFrame = [&](const LinkMessage& m) {
            return m.type() == msg::kQueryIdentity ? identity : Bytes{};
        };
        panel.attach(*line);
        // Twice: the same reply to the next query is no repetition.
        for (int query = 0; query < 2; ++query) {
            if (!c.asks) line->feed(identity);
            std::string text;
            ASSERT_TRUE(bed.link().QueryIdentity(text));
            EXPECT_EQ(text, "GL 200 V3.1     ");
        }
        EXPECT_EQ(panel.frames.size(), c.asks ? 2u : 0u);
        EXPECT_EQ(bed.link().KeepAliveEnabled(), c.keepAlive);
    }
}

TEST(PromLink, EraseProgressClimbsToFiftyWhileThePanelWorks) {
    Opened o(true);
    // 50 units are 350 s: the bar is full after a third of that.
    ScriptedPanel panel;
    panel.onFrame = [&](const LinkMessage&) {
        o.line->feedAt(o.bed.clock.now + 200'000, frameBytes(msg::kEraseDone));
        return Bytes{};
    };
    panel.attach(*o.line);
    std::vector<int> values;
    EXPECT_TRUE(o.link.Erase([&](int v) { values.push_back(v); }));
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.back(), 50);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_GE(values.size(), 990u);  // at least every 200 ms
}

TEST(PromLink, FiveUnitsGiveUpOnlyAfterMoreThanThirtyFiveWholeSeconds) {
    struct Case {
        std::uint64_t first, second;  // when the modem's two bytes come, 0 = never
        bool arrived;
    };
    // The first byte wakes the wait just past 35 s; only the second ends it.
    for (const Case c :
         {Case{35'500, 36'000, true}, Case{35'500, 36'001, false}, Case{0, 0, false}}) {
        SCOPED_TRACE(c.second);
        Opened o(false);
        const std::uint64_t start = o.bed.clock.now;
        if (c.first != 0) o.line->feedAt(start + c.first, {'1'});
        if (c.second != 0) o.line->feedAt(start + c.second, {'\r'});
        EXPECT_EQ(o.link.WaitForInput(2, 5), c.arrived);
        if (!c.arrived) {
            EXPECT_EQ(o.bed.clock.now - start, 36'000u);
        }
    }
}

TEST(PromLink, AbortEndsTheWaitAndNothingMoreGoesOut) {
    for (const bool tcp : {false, true}) {
        SCOPED_TRACE(tcp ? "tcp" : "serial");
        Opened o(tcp);
        WaitableEvent cancel;
        o.link.SetAbortEvent(&cancel);
        o.line->onWait = [&](MemoryLine& l) {
            if (l.waits == 1) cancel.set();
        };
        LinkMessage message;
        EXPECT_FALSE(o.link.ReceiveFrame(message, 50, msg::kPromBlock));
        EXPECT_TRUE(o.link.AbortFlag());
        EXPECT_EQ(o.link.LastFailure(), F::Cancelled);
        EXPECT_FALSE(cancel.tryWait());  // the signal was taken
        EXPECT_FALSE(o.link.SendCommand(msg::kReadProm, ""));
        EXPECT_TRUE(o.line->written.empty());
        o.link.SetAbortEvent(nullptr);
    }
}

// ---- supervision of an idle TCP link whose panel asked to be kept alive ----

class Supervision : public ::testing::Test {
  protected:
    void SetUp() override {
        bed.setProduct("VT 340");  // sends its identity unasked
        line = bed.openTcp();
        line->feed(frameBytes(msg::kIdentity0, 0x0001));
        std::string identity;
        ASSERT_TRUE(link.QueryIdentity(identity));
        ASSERT_TRUE(link.KeepAliveEnabled());
        line->written.clear();
        bed.clock.sleeps.clear();
        line->waits = 0;
        idleSince = link.LastActivity();
    }
    std::size_t probes() const { return line->written.size() / LinkMessage::kFrameSize; }
    void at(std::uint64_t sinceIdle) { bed.clock.now = idleSince + sinceIdle; }
    void expectLost() {
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(bed.prompt.texts(), linkLostShown(true));
    }

    test::LinkTestBed bed;
    PromLink& link = bed.link();
    std::shared_ptr<MemoryLine> line;
    std::uint64_t idleSince = 0;
};

TEST_F(Supervision, ProbesTwiceThenGivesUp) {
    at(60'000);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 0u);
    at(60'001);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(hexString(line->written), hexString(frameBytes(msg::kProbe)));
    at(90'001);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 1u);
    at(90'002);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 2u);
    EXPECT_TRUE(bed.prompt.entries.empty());
    at(120'003);
    EXPECT_FALSE(link.Supervise());
    expectLost();
    // It runs on the user's thread: no pause, no wait for the line, writes that do not
    // wait for the bytes to leave.
    EXPECT_TRUE(bed.clock.sleeps.empty());
    EXPECT_EQ(line->waits, 0);
    EXPECT_EQ(line->quickWrites, 2);
}

TEST_F(Supervision, AHungUpLineOrAProbeTheSocketRefusesLosesTheLinkAtOnce) {
    for (const bool hungUp : {true, false}) {
        SetUp();
        bed.prompt.entries.clear();
        line->hungUp = hungUp;
        line->failWrites = hungUp ? 0 : 1;
        at(hungUp ? 1'000 : 60'001);
        EXPECT_FALSE(link.Supervise());
        expectLost();
    }
}

TEST_F(Supervision, AnAckReturnsToIdleAndOtherBytesProbeAgainAtOnce) {
    at(61'000);
    link.Supervise();
    at(62'000);
    line->feed(Bytes{0x41});
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(link.KeepAliveState(), 2);
    at(63'000);
    line->feed(kAck);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(link.LastActivity(), idleSince + 63'000);
    // Nothing while the transfer dialog is open.
    link.SetTransferDialogOpen(true);
    at(200'000);
    EXPECT_TRUE(link.Supervise());
    EXPECT_EQ(probes(), 2u);
}

TEST_F(Supervision, AnOperationAwaitsTheProbesAck) {
    at(61'000);
    link.Supervise();
    line->feedAt(bed.clock.now + 5'000, Bytes{0x33, msg::kAck});
    EXPECT_TRUE(link.AwaitSupervisionAck());
    EXPECT_EQ(link.KeepAliveState(), 0);

    at(130'000);
    const std::uint64_t probed = bed.clock.now;
    link.Supervise();
    EXPECT_FALSE(link.AwaitSupervisionAck());
    EXPECT_GT(bed.clock.now - probed, 30'000u);
    expectLost();
}

}  // namespace
}  // namespace loom

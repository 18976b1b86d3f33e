// Why a failed exchange failed, and the notice of a silent panel, over memory lines on
// the virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/WaitableEvent.h"
#include "support/LinkTestBed.h"

namespace loom {
namespace {

using test::Bytes;
using test::frameBytes;
using test::MemoryLine;
using test::ScriptedPanel;

const Bytes kAck{msg::kAck};

Bytes block(std::uint8_t tag, bool goodChecksum = true) {
    LinkMessage::Data data{};
    data[0] = tag;
    Bytes f = frameBytes(msg::kPromBlock, 0x0010, data);
    if (!goodChecksum) f.back() ^= 0xFF;
    return f;
}

class PromLinkFailure : public ::testing::Test {
  protected:
    test::LinkTestBed bed;
    PromLink& link = bed.link();
};

struct FailureCase {
    const char* name;
    bool tcp;
    // Sets the panel up on the line and runs the exchange that fails.
    bool (*run)(PromLink&, MemoryLine&, ScriptedPanel&);
    TransferFailure failure;
};

class FailureReasons : public PromLinkFailure, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureReasons, TheFirstCauseIsRecorded) {
    auto line = GetParam().tcp ? bed.openTcp() : bed.openSerial();
    ScriptedPanel panel;
    panel.ackFrames = false;
    panel.attach(*line);
    link.ResetFailure();
    EXPECT_FALSE(GetParam().run(link, *line, panel));
    EXPECT_EQ(link.LastFailure(), GetParam().failure);
}

bool sendErase(PromLink& link, MemoryLine&, ScriptedPanel&) {
    return link.SendCommand(msg::kErase, "");
}
bool receiveBlock(PromLink& link, MemoryLine&, ScriptedPanel&) {
    LinkMessage message;
    return link.ReceiveFrame(message, 1, msg::kPromBlock);
}
bool queryIdentity(PromLink& link, MemoryLine&, ScriptedPanel&) {
    std::string identity;
    return link.QueryIdentity(identity);
}

INSTANTIATE_TEST_SUITE_P(
    PromLink, FailureReasons,
    ::testing::Values(
        FailureCase{"SilentSend", false, sendErase, TransferFailure::NoAnswer},
        FailureCase{"NakedSend", false,
                    [](PromLink& l, MemoryLine& m, ScriptedPanel& p) {
                        p.onFrame = [](const LinkMessage&) { return Bytes{msg::kNak}; };
                        return sendErase(l, m, p);
                    },
                    TransferFailure::TooManyRetries},
        FailureCase{"TcpClosedDuringTheAckWait", true,
                    [](PromLink& l, MemoryLine& m, ScriptedPanel& p) {
                        m.whenEmpty = ReadStatus::Closed;
                        return sendErase(l, m, p);
                    },
                    TransferFailure::LinkLost},
        FailureCase{"SilentSerialReceive", false, receiveBlock, TransferFailure::NoAnswer},
        FailureCase{"SilentTcpReceive", true, receiveBlock, TransferFailure::NoAnswer},
        FailureCase{"SpoiltFrames", false,
                    [](PromLink& l, MemoryLine& m, ScriptedPanel& p) {
                        // A second apart: the link purges its input after each.
                        for (std::uint8_t i = 0; i < 8; ++i)
                            m.feedAt(m.clock.now + 1000u * (i + 1u), block(i, false));
                        return receiveBlock(l, m, p);
                    },
                    TransferFailure::TooManyRetries},
        FailureCase{"Cancelled", true,
                    [](PromLink& l, MemoryLine& m, ScriptedPanel& p) {
                        static WaitableEvent cancel;
                        l.SetAbortEvent(&cancel);
                        m.onWait = [](MemoryLine&) { cancel.set(); };
                        const bool ok = receiveBlock(l, m, p);
                        l.SetAbortEvent(nullptr);
                        return ok;
                    },
                    TransferFailure::Cancelled},
        FailureCase{"IdentityQuestionTakenButNotAnswered", false,
                    [](PromLink& l, MemoryLine& m, ScriptedPanel& p) {
                        p.ackFrames = true;
                        return queryIdentity(l, m, p);
                    },
                    TransferFailure::NoIdentity},
        FailureCase{"IdentityQuestionUnheard", false, queryIdentity, TransferFailure::NoAnswer}),
    [](const auto& param) { return std::string(param.param.name); });

struct SilenceCase {
    const char* name;
    bool tcp;
    bool ackWait;  // the silence is the wait for an ACK (else for a frame)
};

class WaitNotice : public PromLinkFailure, public ::testing::WithParamInterface<SilenceCase> {};

// The panel answers after 7.5 s: told at 5, 6 and 7 s, then that it is heard again; the
// wait itself ends no sooner or later for it.
TEST_P(WaitNotice, CountsTheSilenceFromFiveSecondsAndEndsWhenThePanelIsHeard) {
    auto line = GetParam().tcp ? bed.openTcp() : bed.openSerial();
    std::vector<int> told;
    link.SetWaitSink([&](int seconds) { told.push_back(seconds); });
    const std::uint64_t start = bed.clock.now;
    bool ok = false;
    if (GetParam().ackWait) {
        ScriptedPanel panel;
        panel.ackFrames = false;
        panel.onFrame = [&](const LinkMessage&) {
            line->feedAt(start + 7'500, kAck);
            return Bytes{};
        };
        panel.attach(*line);
        ok = link.SendCommand(msg::kErase, "");
        // One attempt of 7 s and the pause, then the ACK after 500 ms more.
        EXPECT_EQ(panel.frames.size(), 2u);
    } else {
        line->feedAt(start + 7'500, block(1));
        LinkMessage message;
        ok = link.ReceiveFrame(message, 2, msg::kPromBlock);
        EXPECT_EQ(bed.clock.now - start, 7'530u);  // and the gap after the ACK
    }
    EXPECT_TRUE(ok);
    EXPECT_EQ(told, (std::vector<int>{5, 6, 7, 0}));
    link.SetWaitSink(nullptr);
}

INSTANTIATE_TEST_SUITE_P(PromLink, WaitNotice,
                         ::testing::Values(SilenceCase{"SerialFrame", false, false},
                                           SilenceCase{"TcpFrame", true, false},
                                           SilenceCase{"SerialAck", false, true},
                                           SilenceCase{"TcpAck", true, true}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace loom

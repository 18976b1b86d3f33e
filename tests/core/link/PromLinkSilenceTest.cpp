// The notice of a silent panel, over memory lines on the virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/PromLink.h"
#include "support/LinkTestBed.h"

namespace loom {
namespace {

using test::Bytes;
using test::frameBytes;
using test::ScriptedPanel;

const Bytes kAck{msg::kAck};

struct SilenceCase {
    const char* name;
    bool tcp;
    bool ackWait;  // the silence is the wait for an ACK (else for a frame)
};

class WaitNotice : public ::testing::TestWithParam<SilenceCase> {
  protected:
    test::LinkTestBed bed;
    PromLink& link = bed.link();
};

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
        line->feedAt(start + 7'500, frameBytes(msg::kPromBlock, 0x0010));
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

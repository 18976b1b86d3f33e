// The panel's side of a serial or TCP link while the link runs one exchange on a virtual
// clock: no input may crash it, hold it for ever or make it accept what the protocol does
// not allow. Input: byte 0 chooses the link (bit 0: TCP), the exchange (bits 1-3) and the
// product (bit 4: "VT 340"); byte 1 the faults (bits 0-1: a TCP read with no input left;
// 2-4: abort at that wait; 5: a failing read; 6: a failing write; 7: a serial port that
// cannot count its input). Then chunks (a length byte and the bytes): the first arrives
// at once, each further one after the link's next write.
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "../support/MemoryChannel.h"
#include "link/PromLink.h"
#include "platform/Settings.h"
#include "platform/WaitableEvent.h"

#include "FuzzHome.h"

namespace {

using loom::LinkMessage;
using loom::fuzz::check;
using loom::test::Bytes;
using loom::test::MemoryLine;
namespace msg = loom::msg;

// Counts what the link shows, answers every question with No.
struct CountingPrompt final : loom::UserPrompt {
    void show(std::string_view, loom::MessageKind) override { ++shown; }
    loom::Answer ask(std::string_view, loom::Buttons, loom::MessageKind) override {
        return loom::Answer::No;
    }
    int shown = 0;
};

struct Bench {
    CountingPrompt prompt;
    loom::ProgramState context{prompt};
    loom::test::VirtualLinkClock clock;
    loom::test::MemoryChannelFactory factory{clock};
    loom::WaitableEvent cancel;

    Bench() {
        context.link().setChannelFactory(factory);
        context.link().setClock(clock);
    }
};

bool oneOf(std::uint8_t type, std::initializer_list<std::uint8_t> types) {
    return type != msg::kNone && std::find(types.begin(), types.end(), type) != types.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Bench bench;
    if (size < 2) return 0;
    const bool tcp = (data[0] & 1) != 0;
    const int operation = (data[0] >> 1) & 7;
    loom::Settings(bench.context.settings())
        .setText(loom::setting::kProduct, (data[0] & 0x10) != 0 ? "VT 340" : "Gridlan");
    const std::uint8_t faults = data[1];
    loom::fuzz::Input script{{data + 2, size - 2}};  // the panel's chunks

    loom::PromLink& link = bench.context.link();
    link.Close();
    link.SetAbortEvent(nullptr);
    bench.cancel.reset();
    // The records of earlier runs would only grow.
    bench.clock.sleeps.clear();
    bench.factory.handedOut.clear();
    bench.factory.portsAsked.clear();
    bench.factory.settingsAsked.clear();
    bench.factory.tcpAsked.clear();

    const auto line = tcp ? bench.factory.prepareTcp() : bench.factory.prepareSerial();
    // Every frame the link writes is whole and summed right; the rest are single bytes.
    auto panel = [&script](MemoryLine& l, std::span<const std::uint8_t> written) {
        check(written.size() == LinkMessage::kFrameSize || written.size() == 1);
        if (written.size() == LinkMessage::kFrameSize) {
            LinkMessage sent;
            sent.setFrame(written.first<LinkMessage::kFrameSize>());
            check(sent.checksumOk());
        }
        l.feed(script.chunk());
    };

    if (tcp && operation != 5) {
        // A TCP link exists only after a login; the panel accepts this one.
        loom::test::ScriptedPanel login;
        login.onFrame = [](const LinkMessage&) {
            return loom::test::frameBytes(msg::kLoginAccepted);
        };
        login.attach(*line);
        if (!link.ConnectTcp("10.0.0.1", "4000", "123456")) return 0;
        line->peer = nullptr;
        line->input.clear();
        line->written.clear();
    } else if (!tcp && !link.OpenSerial("COM1", false)) {
        return 0;
    }

    line->peer = panel;
    line->feed(script.chunk());
    using Read = loom::ReadStatus;
    line->whenEmpty =
        std::array{Read::WouldBlock, Read::Closed, Read::Failed, Read::WouldBlock}[faults & 3];
    const int abortAt = (faults >> 2) & 7;
    if (abortAt != 0) {
        link.SetAbortEvent(&bench.cancel);
        line->onWait = [abortAt](MemoryLine& l) {
            if (l.waits == abortAt) bench.cancel.set();
        };
    }
    line->failReads = (faults >> 5) & 1;
    line->failWrites = (faults >> 6) & 1;
    line->failQueued = (faults & 0x80) != 0;

    const std::uint64_t start = bench.clock.now;
    const int shownBefore = bench.prompt.shown;
    LinkMessage message;
    LinkMessage::Data block{};
    std::uint32_t at = operation == 1 ? 0xFFFFFFFF : 0;
    bool end = false;
    switch (operation) {
        case 0:
            // A frame taken is intact, of a wanted type, and acknowledged.
            if (!link.ReceiveFrame(message, 1, msg::kPromBlock, msg::kIdentity0, msg::kLogBlock))
                break;
            check(message.checksumOk());
            check(oneOf(message.type(), {msg::kPromBlock, msg::kIdentity0, msg::kLogBlock}));
            if (link.IsOpen()) check(!line->written.empty() && line->written.back() == msg::kAck);
            break;
        case 1:
            while (link.ReceiveBlock(block, at, end) && !end)
                check(at % 16 == 0 && at < 0x100000);
            break;
        case 2:
            while (link.ReceiveLogBlock(block, at, end) && !end)
                check(at <= 0xFFFF);
            break;
        case 3: {
            std::string identity;
            if (link.QueryIdentity(identity)) check(identity.size() == LinkMessage::kDataSize);
            break;
        }
        case 4:
            link.SendCommand(msg::kReadProm, "");
            break;
        case 5: {
            std::uint8_t reply = 0;
            if (tcp)
                check(!link.ConnectTcp("10.0.0.1", "4000", "123456") || link.IsOpen());
            else if (link.Login("123456", reply))
                check(reply == msg::kNone ||
                      oneOf(reply, {msg::kLoginAccepted, msg::kLoginRefused}));
            break;
        }
        case 6: {
            // The panel's identity decides whether the link is watched; then the form
            // view's timer for three minutes, and a transfer's start.
            link.ReceiveFrame(message, 1, msg::kIdentity0, msg::kIdentity1, msg::kIdentity2);
            for (int tick = 0; tick < 60 && link.Supervise(); ++tick)
                bench.clock.now += 3000;
            link.AwaitSupervisionAck();
            check(link.KeepAliveState() >= 0 && link.KeepAliveState() <= 2);
            break;
        }
        case 7:
            link.Erase([](int value) { check(value >= 0 && value <= 50); });
            break;
    }
    // The link never breaks without telling the user (a declined retry closes it quietly).
    if (!link.IsOpen() && operation != 5) check(bench.prompt.shown > shownBefore);
    // Every wait is bounded: even the longest exchange ends within hours of link time.
    check(bench.clock.now - start < 24ull * 3600 * 1000);
    link.Close();
    line->peer = nullptr;
    line->onWait = nullptr;
    return 0;
}

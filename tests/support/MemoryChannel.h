#pragma once

// Links in memory, on a clock that moves only when the link sleeps or waits: exact and
// instant. No test framework here: the fuzz targets use it too.
#include <poll.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "link/LinkMessage.h"
#include "platform/Channel.h"
#include "platform/LinkClock.h"
#include "platform/WaitableEvent.h"

namespace loom::test {

using Bytes = std::vector<std::uint8_t>;

// Starts far from 0, so that a LastActivity of 0 looks long past.
class VirtualLinkClock final : public LinkClock {
  public:
    std::uint64_t tickMs() override { return now; }
    void sleepMs(int ms) override {
        sleeps.push_back(ms);
        now += static_cast<std::uint64_t>(std::max(ms, 0));
    }

    std::uint64_t now = 1'000'000;
    std::vector<int> sleeps;  // every pause the link made, in order
};

// The test's end of one line; it outlives the channel.
struct MemoryLine {
    MemoryLine(ChannelKind lineKind, VirtualLinkClock& lineClock)
        : kind(lineKind), clock(lineClock) {}

    void feed(std::span<const std::uint8_t> bytes) {
        input.insert(input.end(), bytes.begin(), bytes.end());
    }
    // Bytes that arrive when the link's clock reaches `tick`.
    void feedAt(std::uint64_t tick, Bytes bytes) { scheduled.emplace(tick, std::move(bytes)); }
    void deliverDue() {
        for (; !scheduled.empty() && scheduled.begin()->first <= clock.now;
             scheduled.erase(scheduled.begin()))
            feed(scheduled.begin()->second);
    }

    ChannelKind kind;
    VirtualLinkClock& clock;
    // Called with each write of the link after it is recorded; it may feed() an answer.
    std::function<void(MemoryLine&, std::span<const std::uint8_t>)> peer;
    std::function<void(MemoryLine&)> onWait;        // at the start of every wait
    ReadStatus whenEmpty = ReadStatus::WouldBlock;  // a TCP read with no input left
    int failWrites = 0, failReads = 0;              // so many next ones fail
    bool failPurge = false, hungUp = false, failQueued = false;

    Bytes written;                   // what the link did
    int quickWrites = 0, waits = 0;  // writes made with writeNow; waits
    bool open = true;                // false once the link closed its channel

    Bytes input;
    std::multimap<std::uint64_t, Bytes> scheduled;
    std::size_t seen = 0;  // input the link has been told of (queued or read)
};

class MemoryChannel final : public Channel {
  public:
    explicit MemoryChannel(std::shared_ptr<MemoryLine> line) : l(*line), line_(std::move(line)) {}
    ~MemoryChannel() override { l.open = false; }
    MemoryChannel(const MemoryChannel&) = delete;
    MemoryChannel& operator=(const MemoryChannel&) = delete;

    ChannelKind kind() const override { return l.kind; }
    bool hungUp() override { return l.hungUp; }

    bool write(std::span<const std::uint8_t> bytes) override {
        if (l.failWrites > 0) return --l.failWrites, false;
        l.written.insert(l.written.end(), bytes.begin(), bytes.end());
        if (l.peer) l.peer(l, bytes);
        return true;
    }
    bool writeNow(std::span<const std::uint8_t> bytes, int) override {
        ++l.quickWrites;
        return write(bytes);
    }

    ReadStatus read(std::span<std::uint8_t> out, std::size_t& count) override {
        count = 0;
        l.deliverDue();
        if (l.failReads > 0) return --l.failReads, ReadStatus::Failed;
        if (l.input.empty())
            return l.kind == ChannelKind::Tcp ? l.whenEmpty : ReadStatus::WouldBlock;
        count = std::min(out.size(), l.input.size());
        std::copy_n(l.input.begin(), count, out.begin());
        l.input.erase(l.input.begin(), l.input.begin() + static_cast<std::ptrdiff_t>(count));
        l.seen = l.input.size();
        return ReadStatus::Data;
    }

    long queued() override {
        l.deliverDue();
        if (l.failQueued) return -1;
        l.seen = l.input.size();
        return static_cast<long>(l.input.size());
    }

    bool purge(bool input, bool) override {
        if (l.failPurge) return false;
        if (input) l.input.clear(), l.seen = 0;
        return true;
    }

    // Time passes to the next scheduled arrival, or by the whole timeout.
    WaitStatus waitReadable(int timeoutMs, const WaitableEvent* abort) override {
        ++l.waits;
        if (l.onWait) l.onWait(l);
        // Looks without taking the signal, as the real channel's poll does.
        pollfd fd{abort ? abort->pollHandle() : -1, POLLIN, 0};
        if (abort && ::poll(&fd, 1, 0) > 0) return WaitStatus::Aborted;
        l.deliverDue();
        if (l.input.size() > l.seen) return WaitStatus::Readable;
        if (l.kind == ChannelKind::Tcp && l.input.empty() && l.whenEmpty != ReadStatus::WouldBlock)
            return WaitStatus::Readable;
        const std::uint64_t until =
            l.clock.now + static_cast<std::uint64_t>(std::max(timeoutMs, 0));
        if (!l.scheduled.empty() && l.scheduled.begin()->first <= until) {
            l.clock.now = std::max(l.clock.now, l.scheduled.begin()->first);
            l.deliverDue();
            return WaitStatus::Readable;
        }
        l.clock.now = until;
        return WaitStatus::TimedOut;
    }

  private:
    MemoryLine& l;
    std::shared_ptr<MemoryLine> line_;
};

// Hands out prepared lines (or fresh silent ones) and records what was asked for.
class MemoryChannelFactory final : public ChannelFactory {
  public:
    explicit MemoryChannelFactory(VirtualLinkClock& clock) : clock_(clock) {}

    // The line the next open of that kind gets.
    std::shared_ptr<MemoryLine> prepareSerial() { return prepare(ChannelKind::Serial); }
    std::shared_ptr<MemoryLine> prepareTcp() { return prepare(ChannelKind::Tcp); }

    std::unique_ptr<Channel> openSerial(std::string_view portName, const SerialSettings& settings,
                                        std::string& error) override {
        portsAsked.emplace_back(portName);
        settingsAsked.push_back(settings);
        if (!missingPorts.count(std::string(portName))) return hand(ChannelKind::Serial);
        error = "no such port";
        return nullptr;
    }
    std::unique_ptr<Channel> connectTcp(std::string_view address, std::string_view port,
                                        std::string& error) override {
        tcpAsked.emplace_back(address, port);
        error = tcpError;
        return tcpError.empty() ? hand(ChannelKind::Tcp) : nullptr;
    }

    std::set<std::string> missingPorts;  // serial ports that cannot be opened
    std::string tcpError;                // when set, every connect fails with it
    std::vector<std::string> portsAsked;
    std::vector<SerialSettings> settingsAsked;
    std::vector<std::pair<std::string, std::string>> tcpAsked;
    std::vector<std::shared_ptr<MemoryLine>> handedOut;

  private:
    std::shared_ptr<MemoryLine> prepare(ChannelKind kind) {
        return prepared_.emplace_back(std::make_shared<MemoryLine>(kind, clock_));
    }
    std::unique_ptr<Channel> hand(ChannelKind kind) {
        const auto found = std::find_if(prepared_.begin(), prepared_.end(),
                                        [kind](const auto& l) { return l->kind == kind; });
        if (found == prepared_.end()) {
            handedOut.push_back(std::make_shared<MemoryLine>(kind, clock_));
        } else {
            handedOut.push_back(*found);
            prepared_.erase(found);
        }
        return std::make_unique<MemoryChannel>(handedOut.back());
    }

    VirtualLinkClock& clock_;
    std::vector<std::shared_ptr<MemoryLine>> prepared_;
};

// A frame as it travels, with an explicit address word.
inline Bytes frameBytes(std::uint8_t type, std::uint16_t word = 0,
                        const LinkMessage::Data& data = {}) {
    const LinkMessage::Frame f = LinkMessage::buildFrame(type, word, data);
    return {f.begin(), f.end()};
}

// A panel behind a line's peer: a 21-byte write is a frame (ACKed unless `ackFrames` is
// off, answered by `onFrame`); other writes are single bytes, answered by `onByte`.
class ScriptedPanel {
  public:
    std::function<Bytes(const LinkMessage&)> onFrame;
    std::function<Bytes(std::uint8_t)> onByte;
    bool ackFrames = true;
    std::vector<LinkMessage> frames;  // every frame the link sent
    Bytes bytes;                      // every other byte the link sent

    void attach(MemoryLine& line) {
        line.peer = [this](MemoryLine& l, std::span<const std::uint8_t> w) { handle(l, w); };
    }

  private:
    void handle(MemoryLine& line, std::span<const std::uint8_t> written) {
        if (written.size() != LinkMessage::kFrameSize) {
            for (std::uint8_t b : written) {
                bytes.push_back(b);
                if (onByte) line.feed(onByte(b));
            }
            return;
        }
        LinkMessage& message = frames.emplace_back();
        message.setFrame(written.first<LinkMessage::kFrameSize>());
        if (ackFrames) line.feed(Bytes{msg::kAck});
        if (onFrame) line.feed(onFrame(message));
    }
};

}  // namespace loom::test

#include "PanelSession.h"

#include <algorithm>

#include "archive/FileId.h"

namespace loom::panelsim {
namespace {

using Entry = TranscriptEntry;

std::string hexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
    return out;
}

Entry frameEntry(Entry::From from, const LinkMessage::Frame& frame) {
    LinkMessage m;
    m.setFrame(frame);
    Entry e;
    e.from = from;
    e.what = Entry::What::Frame;
    e.frame = frame;
    e.checksumOk = m.checksumOk();
    return e;
}

Entry simpleEntry(Entry::From from, Entry::What what, std::string text = {}) {
    Entry e;
    e.from = from;
    e.what = what;
    e.text = std::move(text);
    return e;
}

}  // namespace

PanelSession::PanelSession(PanelStream& stream, PanelState& state, bool needsLogin)
    : stream_(stream), state_(state), needsLogin_(needsLogin) {}

void PanelSession::begin(Clock::time_point now) {
    frameLength_ = 0;
    lastReceived_.reset();
    loggedIn_ = false;
    blocksInOperation_ = 0;
    dropRequested_ = false;
    silent_ = false;
    identityDue_.reset();
    state_.count(&PanelCounters::connections);
    const PanelSettings settings = state_.settings();
    if (settings.faults.unaskedIdentity)
        identityDue_ = now + std::chrono::milliseconds(settings.timings.unaskedIdentityDelayMs);
}

void PanelSession::end() {
    frameLength_ = 0;
    lastReceived_.reset();
    loggedIn_ = false;
    blocksInOperation_ = 0;
    identityDue_.reset();
    dropRequested_ = false;
    silent_ = false;
    state_.saveIfChanged();
}

void PanelSession::feed(std::uint8_t byte, Clock::time_point now) {
    frame_[frameLength_++] = byte;
    lastByte_ = now;
    if (frameLength_ < frame_.size()) return;
    frameLength_ = 0;
    handleFrame();
    // The host purges its port while it recovers from errors; only a purge while the
    // panel is idle means the port was opened.
    (void)stream_.takePurge();
}

void PanelSession::discardPartial() {
    frameLength_ = 0;
}

std::optional<Clock::time_point> PanelSession::deadline() const {
    std::optional<Clock::time_point> next = identityDue_;
    if (frameLength_ > 0) {
        const auto gap =
            lastByte_ + std::chrono::milliseconds(state_.settings().timings.frameGapMs);
        if (!next || gap < *next) next = gap;
    }
    return next;
}

void PanelSession::onTimer(Clock::time_point now) {
    const PanelSettings settings = state_.settings();
    if (frameLength_ > 0 &&
        now >= lastByte_ + std::chrono::milliseconds(settings.timings.frameGapMs)) {
        state_.record(simpleEntry(Entry::From::Host, Entry::What::Partial,
                                  hexText(std::span(frame_).first(frameLength_))));
        state_.count(&PanelCounters::partialFrames);
        frameLength_ = 0;
    }
    if (identityDue_ && now >= *identityDue_ && frameLength_ == 0) {
        identityDue_.reset();
        sendIdentity(settings);
    }
}

void PanelSession::pressReset(Clock::time_point now) {
    identityDue_ = now;
}

void PanelSession::handleFrame() {
    LinkMessage message;
    message.setFrame(frame_);
    state_.record(frameEntry(Entry::From::Host, frame_));
    if (silent_) {
        // The operation the fault stopped gets no answer; another command ends the silence.
        if (message.type() == msg::kWriteBlock) return;
        silent_ = false;
    }
    const std::uint64_t ordinal = state_.nextReceivedFrame();
    const PanelSettings settings = state_.settings();
    // The host is talking: an identity due on its own would cut across.
    identityDue_.reset();
    if (!message.checksumOk()) {
        state_.count(&PanelCounters::badChecksums);
        refuse("checksum wrong");
        return;
    }
    if (settings.faults.nakEvery != 0 && ordinal % settings.faults.nakEvery == 0) {
        refuse("nak-every fault");
        return;
    }
    if (lastReceived_ && *lastReceived_ == frame_) {
        state_.count(&PanelCounters::repetitions);
        note("repetition, acknowledged again");
        ack();
        return;
    }
    lastReceived_ = frame_;
    const std::uint8_t type = message.type();
    if (needsLogin_ && !loggedIn_ && type != msg::kLogin && type != msg::kProbe &&
        type != msg::kEndConnection) {
        refuse("no login yet");
        return;
    }
    if (type != msg::kWriteBlock) blocksInOperation_ = 0;
    act(message, settings);
}

void PanelSession::act(const LinkMessage& message, const PanelSettings& settings) {
    switch (message.type()) {
        case msg::kLogin: {
            const bool good = message.data() == LinkMessage::packText(settings.idCode);
            loggedIn_ = good;
            state_.count(good ? &PanelCounters::loginsAccepted : &PanelCounters::loginsRefused);
            ack();
            if (send(good ? msg::kLoginAccepted : msg::kLoginRefused, 0, {}) == Sent::Acked && good)
                finished(settings);
            return;
        }
        case msg::kQueryIdentity:
            ack();
            if (settings.faults.noIdentity || settings.faults.unaskedIdentity) return;
            sendIdentity(settings);
            return;
        case msg::kErase:
            ack();
            if (!stream_.pause(std::chrono::milliseconds(settings.eraseDelayMs))) return;
            state_.erase();
            send(msg::kEraseDone, 0, {});
            return;
        case msg::kWriteBlock:
            if (message.address() + PromBlock::kSize > kPromSize) {
                refuse("block outside the PROM");
                return;
            }
            if (dropDue(settings) || silenceDue(settings)) return;
            // Stored before the ACK, so that whoever saw the ACK finds the block.
            state_.writeBlock(message.address(), message.data());
            ++blocksInOperation_;
            ack();
            return;
        case msg::kTimestamp:
            state_.setTimestamp(std::string(message.data().begin(), message.data().begin() + 12));
            ack();
            state_.saveIfChanged();
            finished(settings);
            return;
        case msg::kReadProm:
        case msg::kReadPromNoErase:
            ack();
            readProm(settings);
            return;
        case msg::kReadLog:
            ack();
            readLog(settings);
            return;
        case msg::kProbe:
            ack();
            return;
        case msg::kEndConnection:
            ack();
            state_.count(&PanelCounters::endOfConnection);
            loggedIn_ = false;
            state_.saveIfChanged();
            return;
        default:
            refuse("unknown message type");
            return;
    }
}

void PanelSession::sendIdentity(const PanelSettings& settings) {
    LinkMessage::Data data{};
    std::copy(settings.identity.begin(), settings.identity.end(), data.begin());
    state_.count(&PanelCounters::identitiesSent);
    send(msg::kIdentity0, settings.keepAlive ? 1 : 0, data);
}

void PanelSession::readProm(const PanelSettings& settings) {
    for (const PromBlock& block : state_.blocksToSend()) {
        if (dropDue(settings) || silenceDue(settings)) return;
        if (send(msg::kPromBlock, LinkMessage::encodeAddress(block.address), block.data) !=
            Sent::Acked)
            return;
        ++blocksInOperation_;
        state_.count(&PanelCounters::blocksRead);
    }
    if (dropDue(settings) || silenceDue(settings)) return;
    if (send(msg::kPromEnd, 0, {}) == Sent::Acked) finished(settings);
}

void PanelSession::readLog(const PanelSettings& settings) {
    const std::vector<std::uint8_t> id = FileIdToBytes(settings.fileId);
    if (id.size() == kFileIdLength) {
        // The first block names the installation: the product text, then the file identity.
        LinkMessage::Data data{};
        std::copy(settings.identity.begin() + 8, settings.identity.end(), data.begin());
        std::copy(id.begin(), id.end(), data.begin() + 8);
        if (send(msg::kPromBlock, 0, data) != Sent::Acked) return;
    } else if (send(msg::kPromEnd, 0, {}) != Sent::Acked) {
        return;
    }
    const std::vector<LogRecord> log = state_.log();
    const std::size_t count = std::min(log.size(), kMaxLogBlocks);
    for (std::size_t n = 0; n < count; ++n) {
        if (dropDue(settings) || silenceDue(settings)) return;
        const LogRecord& record = log[log.size() - 1 - n];  // newest first
        LinkMessage::Data data{};
        std::copy(record.begin(), record.end(), data.begin());
        if (send(msg::kLogBlock, static_cast<std::uint16_t>(n), data) != Sent::Acked) return;
        ++blocksInOperation_;
        state_.count(&PanelCounters::logBlocksRead);
    }
    if (dropDue(settings) || silenceDue(settings)) return;
    if (send(msg::kLogEnd, 0, {}) == Sent::Acked) finished(settings);
}

bool PanelSession::dropDue(const PanelSettings& settings) {
    if (!settings.faults.dropAfterBlocks || blocksInOperation_ < *settings.faults.dropAfterBlocks)
        return false;
    note("drop-after-blocks fault: hanging up");
    state_.count(&PanelCounters::drops);
    dropRequested_ = true;
    return true;
}

bool PanelSession::silenceDue(const PanelSettings& settings) {
    if (!settings.faults.silentAfterBlocks ||
        blocksInOperation_ < *settings.faults.silentAfterBlocks)
        return false;
    note("silent-after-blocks fault: no more answers");
    silent_ = true;
    return true;
}

void PanelSession::finished(const PanelSettings& settings) {
    if (settings.faults.unaskedIdentity)
        identityDue_ =
            Clock::now() + std::chrono::milliseconds(settings.timings.unaskedIdentityDelayMs);
}

PanelSession::Sent PanelSession::send(std::uint8_t type, std::uint16_t addressWord,
                                      const LinkMessage::Data& data) {
    const LinkMessage::Frame frame = LinkMessage::buildFrame(type, addressWord, data);
    const PanelTimings timings = state_.settings().timings;
    lastReceived_.reset();
    for (int attempt = 0; attempt <= timings.resends; ++attempt) {
        if (attempt > 0) state_.count(&PanelCounters::resends);
        const PanelState::Transmission plan = state_.nextTransmission();
        LinkMessage::Frame wire = frame;
        if (plan.corrupt) wire[20] = static_cast<std::uint8_t>(wire[20] ^ 0xFF);
        for (int copy = plan.duplicate ? 2 : 1; copy > 0; --copy) {
            state_.record(frameEntry(Entry::From::Panel, wire));
            if (!stream_.write(wire)) return Sent::Failed;
        }
        std::uint8_t reply = 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timings.ackTimeoutMs);
        switch (stream_.waitByte(reply, deadline)) {
            case PanelStream::Wait::Stopped:
            case PanelStream::Wait::Closed:
                return Sent::Failed;
            case PanelStream::Wait::Timeout:
                note("no answer");
                continue;
            case PanelStream::Wait::Byte:
                break;
        }
        if (reply == msg::kAck) {
            state_.record(simpleEntry(Entry::From::Host, Entry::What::Ack));
            state_.count(&PanelCounters::acksReceived);
            return Sent::Acked;
        }
        if (reply == msg::kNak) {
            state_.record(simpleEntry(Entry::From::Host, Entry::What::Nak));
            state_.count(&PanelCounters::naksReceived);
            continue;
        }
        // Anything else starts the host's next frame: it has gone on without this one.
        state_.record(simpleEntry(Entry::From::Host, Entry::What::Byte, hexText({&reply, 1})));
        stream_.putBack(reply);
        note("the host went on; operation given up");
        return Sent::HostMovedOn;
    }
    note("gave up after " + std::to_string(timings.resends + 1) + " sends");
    state_.count(&PanelCounters::sendsGivenUp);
    return Sent::GaveUp;
}

void PanelSession::ack() {
    state_.record(simpleEntry(Entry::From::Panel, Entry::What::Ack));
    state_.count(&PanelCounters::acksSent);
    const std::uint8_t byte = msg::kAck;
    stream_.write({&byte, 1});
}

void PanelSession::nak() {
    state_.record(simpleEntry(Entry::From::Panel, Entry::What::Nak));
    state_.count(&PanelCounters::naksSent);
    const std::uint8_t byte = msg::kNak;
    stream_.write({&byte, 1});
}

void PanelSession::refuse(const std::string& why) {
    lastReceived_.reset();
    note(why);
    nak();
}

void PanelSession::note(const std::string& text) {
    state_.record(simpleEntry(Entry::From::Panel, Entry::What::Note, text));
}

}  // namespace loom::panelsim

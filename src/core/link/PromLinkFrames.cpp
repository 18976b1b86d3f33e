// The frame protocol: sending with acknowledgement and retries, receiving with duplicate
// suppression, the panel's requests, and the supervision of an idle link.
#include <algorithm>
#include <array>
#include <climits>

#include "context/AppContext.h"
#include "link/PromLink.h"
#include "link/WaitLimit.h"

namespace loom {
namespace {

bool isIdentityType(std::uint8_t type) {
    return type == msg::kIdentity0 || type == msg::kIdentity1 || type == msg::kIdentity2;
}

// Twelve digits "%Y%m%d%H%M" with each field kept to its width.
LinkMessage::Data timestampData(const CivilTime& t) {
    LinkMessage::Data data{};
    std::size_t at = 0;
    const auto put = [&](int value, int width) {
        int limit = 1;
        for (int i = 0; i < width; ++i)
            limit *= 10;
        value = std::clamp(value, 0, limit - 1);
        for (int i = width - 1; i >= 0; --i) {
            data[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>('0' + value % 10);
            value /= 10;
        }
        at += static_cast<std::size_t>(width);
    };
    put(t.year, 4);
    put(t.month, 2);
    put(t.day, 2);
    put(t.hour, 2);
    put(t.minute, 2);
    return data;
}

}  // namespace

bool PromLink::SendFrame(const LinkMessage& message, bool waitAck) {
    const std::uint64_t heardBefore = bytesHeard_;
    int writesFailed = 0;
    for (int attempt = 0; attempt < kAttempts && !abortFlag_; ++attempt) {
        if (!channel_) break;
        if (!writeBytes(message.frame())) {
            if (IsTcp()) {
                linkLost();
                return false;
            }
            ++writesFailed;
            Flush();
            continue;
        }
        ++framesWritten_;
        clock_->sleepMs(timing_.frameGapMs);
        if (!waitAck || WaitAck()) return true;
        if (!channel_ || abortFlag_) break;
        clock_->sleepMs(timing_.retryPauseMs);
    }
    if (abortFlag_) {
        fail(TransferFailure::Cancelled);
    } else if (!channel_ || writesFailed == kAttempts) {
        fail(TransferFailure::LinkLost);
    } else {
        // Silence on every attempt is a panel that does not answer; anything else it
        // sent instead of the ACK is a refusal.
        fail(bytesHeard_ != heardBefore ? TransferFailure::TooManyRetries
                                        : TransferFailure::NoAnswer);
    }
    return false;
}

bool PromLink::WaitAck() {
    if (!channel_) return false;
    const bool tcp = IsTcp();
    const std::uint64_t deadline = clock_->tickMs() + static_cast<std::uint64_t>(timing_.ackWaitMs);
    bool gotByte = false;
    std::uint8_t last = 0;
    while (!abortFlag_) {
        const std::uint64_t now = clock_->tickMs();
        if (now >= deadline) break;
        if (abortRequested()) return false;
        const int span =
            silenceSpan(static_cast<int>(std::min<std::uint64_t>(deadline - now, INT_MAX)), now);
        if (!tcp) {
            const long queued = channel_->queued();
            // A port that cannot count its input will not deliver the ACK either.
            if (queued < 0) break;
            if (queued == 0) {
                noteSilence(now);
                if (waitInput(span) == WaitStatus::Aborted) return false;
                continue;
            }
        }
        std::uint8_t byte = 0;
        std::size_t count = 0;
        const ReadStatus status = channel_->read(std::span(&byte, 1), count);
        if (status == ReadStatus::Data && count == 1) {
            lastActivity_ = clock_->tickMs();
            heard();
            gotByte = true;
            last = byte;
            if (byte == msg::kAck || byte == msg::kNak) break;
            continue;
        }
        if (!tcp) {
            Flush();
            continue;
        }
        if (status == ReadStatus::Failed || status == ReadStatus::Closed) {
            linkLost();
            return false;
        }
        noteSilence(now);
        if (waitInput(span) == WaitStatus::Aborted) return false;
    }
    const bool acknowledged = gotByte && last == msg::kAck;
    // Whatever else came is a frame out of step: start the next attempt from silence.
    if (!acknowledged && gotByte && !tcp && channel_) channel_->purge(true, true);
    return acknowledged;
}

bool PromLink::SendAckByte(bool ack) {
    const std::uint8_t byte = ack ? msg::kAck : msg::kNak;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!channel_) return false;
        if (writeBytes(std::span(&byte, 1))) {
            ++ackBytesWritten_;
            clock_->sleepMs(timing_.frameGapMs);
            return true;
        }
        if (IsTcp()) {
            linkLost();
            return false;
        }
        Flush();
    }
    return false;
}

PromLink::Arrival PromLink::receiveSerial(LinkMessage::Frame& frame, int units) {
    if (!WaitForInput(LinkMessage::kFrameSize, units))
        return abortFlag_ || !channel_ ? Arrival::Stop : Arrival::Missed;
    if (!readExactly(frame)) {
        Flush();
        return Arrival::Missed;
    }
    lastActivity_ = clock_->tickMs();
    return Arrival::Frame;
}

PromLink::Arrival PromLink::receiveTcp(LinkMessage::Frame& frame, int units) {
    const WaitLimit limit(clock_->tickMs(), units, timing_);
    std::size_t have = 0;
    for (;;) {
        std::size_t count = 0;
        const ReadStatus status = channel_->read(std::span(frame).subspan(have), count);
        if (status == ReadStatus::Failed || status == ReadStatus::Closed) {
            linkLost();
            return Arrival::Stop;
        }
        if (status == ReadStatus::Data && count > 0) {
            lastActivity_ = clock_->tickMs();
            heard();
            have += std::min(count, frame.size() - have);
            if (have == frame.size()) return Arrival::Frame;
        }
        const std::uint64_t now = clock_->tickMs();
        // Unlike a serial link, a TCP link that stays silent for the whole limit is not
        // asked again.
        if (limit.expired(now)) {
            fail(TransferFailure::NoAnswer);
            return Arrival::Stop;
        }
        reportProgress(limit.progress(now));
        noteSilence(now);
        if (waitInput(waitSpan(limit, now)) == WaitStatus::Aborted) return Arrival::Stop;
    }
}

bool PromLink::ReceiveFrame(LinkMessage& message, int units, std::uint8_t t1, std::uint8_t t2,
                            std::uint8_t t3, std::uint8_t t4) {
    const std::array<std::uint8_t, 4> expected{t1, t2, t3, t4};
    int attempts = 0;
    int restarts = 0;
    bool refused = false;  // a frame came but was not taken
    while (attempts < kAttempts && !abortFlag_) {
        if (!channel_) {
            fail(TransferFailure::LinkLost);
            return false;
        }
        LinkMessage::Frame frame{};
        const Arrival arrival = IsTcp() ? receiveTcp(frame, units) : receiveSerial(frame, units);
        if (arrival == Arrival::Stop) {
            fail(abortFlag_ ? TransferFailure::Cancelled
                 : channel_ ? TransferFailure::NoAnswer
                            : TransferFailure::LinkLost);
            return false;
        }
        if (arrival == Arrival::Missed) {
            ++attempts;
            continue;
        }
        if (isIdentityType(frame[0])) keepAliveEnabled_ = (frame[2] & 1) != 0;
        message.setFrame(frame);
        if (frame == lastFrame_.frame()) {
            // The panel missed our ACK and sends the frame again; it is dropped without a
            // reply. A panel repeats a frame a few times only, so after as many repeats as
            // attempts they count as spent attempts and an endless repetition cannot hold
            // the link.
            if (restarts < kAttempts) {
                ++restarts;
                attempts = 0;
            } else {
                ++attempts;
                refused = true;
            }
            continue;
        }
        lastFrame_.setFrame(frame);
        // 0xFE only fills unused places of the list; it is never a message.
        const bool wanted =
            message.type() != msg::kNone &&
            std::find(expected.begin(), expected.end(), message.type()) != expected.end();
        if (wanted && message.checksumOk()) return SendAckByte(true) || IsOpen();
        refused = true;
        if (!IsTcp()) channel_->purge(true, true);
        if (!SendAckByte(false) && !IsOpen()) return false;
        ++attempts;
    }
    fail(abortFlag_ ? TransferFailure::Cancelled
         : refused  ? TransferFailure::TooManyRetries
                    : TransferFailure::NoAnswer);
    return false;
}

bool PromLink::SendCommand(std::uint8_t type, std::string_view text) {
    return SendFrame(LinkMessage(type, 0, LinkMessage::packText(text)), true);
}

bool PromLink::SendBlock(std::uint32_t address, const LinkMessage::Data& data) {
    return SendFrame(LinkMessage(msg::kWriteBlock, address, data), true);
}

bool PromLink::ReceiveBlock(LinkMessage::Data& data, std::uint32_t& address, bool& end) {
    LinkMessage message;
    if (!ReceiveFrame(message, 50, msg::kPromBlock, msg::kPromEnd)) return false;
    end = message.type() == msg::kPromEnd;
    if (!end) {
        data = message.data();
        address = message.address();
    }
    return true;
}

bool PromLink::ReceiveLogBlock(LinkMessage::Data& data, std::uint32_t& number, bool& end) {
    LinkMessage message;
    if (!ReceiveFrame(message, 50, msg::kLogBlock, msg::kLogEnd)) return false;
    end = message.type() == msg::kLogEnd;
    if (!end) {
        data = message.data();
        // A block number, not an address: the word is taken as it travelled.
        number = message.addressWord();
    }
    return true;
}

bool PromLink::QueryIdentity(std::string& identity) {
    lastFrame_.clear();
    // That panel sends its identity unasked once its reset button is pressed.
    if (!productIsVt340() && !SendCommand(msg::kQueryIdentity, "")) return false;
    LinkMessage reply;
    if (!ReceiveFrame(reply, 1, msg::kIdentity0, msg::kIdentity1, msg::kIdentity2)) {
        // The panel took the question (or needs none) but gave no usable identity.
        if (failure_ == TransferFailure::NoAnswer || failure_ == TransferFailure::TooManyRetries)
            failure_ = TransferFailure::NoIdentity;
        return false;
    }
    identity.assign(reply.data().begin(), reply.data().end());
    return true;
}

bool PromLink::Erase(const std::function<void(int)>& progress) {
    progress_ = progress;
    LinkMessage reply;
    const bool erased =
        SendCommand(msg::kErase, "") && !abortFlag_ && ReceiveFrame(reply, 50, msg::kEraseDone);
    progress_ = nullptr;
    return erased;
}

bool PromLink::SendTimestamp() {
    const Clock& clock = context_.clock();
    const LinkMessage stamp(msg::kTimestamp, 0, timestampData(clock.toLocal(clock.nowSeconds())));
    return SendFrame(stamp, true);
}

bool PromLink::Login(std::string_view idCode, std::uint8_t& reply) {
    reply = msg::kNone;
    if (!SendCommand(msg::kLogin, idCode)) return false;
    LinkMessage answer;
    if (ReceiveFrame(answer, 1, msg::kLoginAccepted, msg::kLoginRefused)) reply = answer.type();
    return true;
}

bool PromLink::sendProbe() {
    // One attempt and no frame gap: nothing follows the probe before its answer is read.
    const LinkMessage probe(msg::kProbe, 0, LinkMessage::Data{});
    if (channel_->writeNow(probe.frame(), timing_.probeWriteMs)) {
        ++framesWritten_;
        lastActivity_ = clock_->tickMs();
        return true;
    }
    // A socket that takes nothing has lost its peer; a serial port may take the next one.
    if (IsTcp()) {
        linkLost();
    } else {
        Flush();
    }
    return false;
}

bool PromLink::Supervise() {
    // The transfer's flag first: while a transfer runs the worker owns the other fields.
    if (transferDialogOpen_ || !IsOpen()) return true;
    if (channel_->hungUp()) {
        linkLost();
        return false;
    }
    if (!keepAliveEnabled_) return true;
    const std::uint64_t now = clock_->tickMs();
    const std::uint64_t silence = now > lastActivity_ ? now - lastActivity_ : 0;
    if (keepAliveState_ == 0) {
        if (silence > static_cast<std::uint64_t>(timing_.probeIdleMs)) {
            sendProbe();
            keepAliveState_ = 1;
        }
        return IsOpen();
    }
    std::uint8_t byte = 0;
    const bool got = ReadByte(byte);
    if (!IsOpen()) return false;
    if (got && byte == msg::kAck) {
        lastActivity_ = now;
        keepAliveState_ = 0;
        return true;
    }
    if (got || silence > static_cast<std::uint64_t>(timing_.probeAnswerMs)) {
        if (keepAliveState_ == 1) {
            sendProbe();
            keepAliveState_ = 2;
        } else {
            linkLost();
        }
    }
    return IsOpen();
}

bool PromLink::AwaitSupervisionAck() {
    if (!keepAliveEnabled_ || !IsOpen() || keepAliveState_ == 0) return true;
    const auto answerMs = static_cast<std::uint64_t>(timing_.probeAnswerMs);
    for (;;) {
        const std::uint64_t now = clock_->tickMs();
        std::uint8_t byte = 0;
        const bool got = ReadByte(byte);
        if (got && byte == msg::kAck) break;
        if (!IsOpen()) return false;
        const std::uint64_t silence = now > lastActivity_ ? now - lastActivity_ : 0;
        if (silence > answerMs) {
            linkLost();
            return false;
        }
        if (got) continue;
        // The transfer's cancel event is not for this wait: it only waits for the ACK.
        const auto span = static_cast<int>(
            std::min<std::uint64_t>(answerMs - silence + 1, static_cast<std::uint64_t>(INT_MAX)));
        channel_->waitReadable(span, nullptr);
    }
    lastActivity_ = clock_->tickMs();
    keepAliveState_ = 0;
    return true;
}

}  // namespace loom

#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>

#include "Wakeup.h"

namespace loom::panelsim {

using Clock = std::chrono::steady_clock;

enum class StreamKind { Tcp, Serial, Modem };

// The byte stream of one connection: a TCP socket or a pseudo-terminal's master (the
// descriptor belongs to the endpoint). Bytes read are kept until taken, so that a wait for
// one ACK byte leaves the frame behind it for the panel's idle loop. Every wait ends early
// when the simulator stops.
class PanelStream {
  public:
    enum class Wait { Byte, Timeout, Closed, Stopped };

    PanelStream(int fd, StreamKind kind, bool packetMode, const Wakeup& wakeup, int writeStallMs);

    StreamKind kind() const { return kind_; }
    int fd() const { return fd_; }
    bool closed() const { return closed_; }
    void setBaud(int baud) { baud_ = baud; }

    // Reads whatever is there now. False once the other end is gone.
    bool pump();
    bool hasPending() const { return !pending_.empty(); }
    std::uint8_t take();
    // Gives a byte back to the front, for the idle loop to read again.
    void putBack(std::uint8_t byte) { pending_.push_front(byte); }
    void discardPending() { pending_.clear(); }
    // The next byte, waiting until `deadline`.
    Wait waitByte(std::uint8_t& byte, Clock::time_point deadline);
    // Writes all bytes, paced at the emulated baud rate. False when the other end is gone,
    // takes nothing for writeStallMs, or the simulator stops.
    bool write(std::span<const std::uint8_t> bytes);
    // False when the simulator stops first.
    bool pause(std::chrono::milliseconds duration);
    // Whether the host purged its port since the last call (pseudo-terminals in packet
    // mode): the program does so when it opens the port.
    bool takePurge();

  private:
    enum class Ready { Yes, Timeout, Stopped };
    Ready waitFor(short events, Clock::time_point deadline);

    // A host that sends without pause must not grow the buffer without bound.
    static constexpr std::size_t kPendingLimit = 64 * 1024;

    int fd_;
    StreamKind kind_;
    bool packetMode_;
    const Wakeup& wakeup_;
    int writeStallMs_;
    int baud_ = 0;
    bool closed_ = false;
    bool purged_ = false;
    std::deque<std::uint8_t> pending_;
};

}  // namespace loom::panelsim

#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Channel.h"

namespace loom {

class WaitableEvent;

// The waiting and writing the POSIX channels share.
namespace posixio {

// A write that makes no progress for this long fails: a peer that stops taking bytes
// must not hang the transfer thread, which no abort can reach inside a write.
inline constexpr int kWriteStallMs = 30000;

// Polls `fd` for input and `abort` (may be null) together. Aborted wins when both are
// ready; the event is left signalled. Hang-up and error conditions count as Readable so
// that the caller's next read reports them. A negative timeout waits without limit.
WaitStatus waitForInput(int fd, int timeoutMs, const WaitableEvent* abort);

// Writes all bytes to a non-blocking fd, waiting for room as needed. `socket` sends
// without SIGPIPE. False on an error or when no byte could be written for `stallMs`.
bool writeAll(int fd, std::span<const std::uint8_t> bytes, bool socket, int stallMs);

// True when the fd reports hang-up or an error right now.
bool hungUp(int fd);

}  // namespace posixio
}  // namespace loom

#include "PanelStream.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace loom::panelsim {

PanelStream::PanelStream(int fd, StreamKind kind, bool packetMode, const Wakeup& wakeup,
                         int writeStallMs)
    : fd_(fd), kind_(kind), packetMode_(packetMode), wakeup_(wakeup), writeStallMs_(writeStallMs) {}

bool PanelStream::pump() {
    std::uint8_t buffer[4096];
    while (!closed_ && pending_.size() < kPendingLimit) {
        const ssize_t n = kind_ == StreamKind::Tcp ? ::recv(fd_, buffer, sizeof buffer, 0)
                                                   : ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n <= 0) {
            closed_ = true;
            break;
        }
        std::size_t from = 0;
        if (packetMode_) {
            // Packet mode: a status byte first; data follows only a zero status.
            if (buffer[0] != TIOCPKT_DATA) {
                if (buffer[0] & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE)) purged_ = true;
                continue;
            }
            from = 1;
        }
        pending_.insert(pending_.end(), buffer + from, buffer + n);
    }
    return !closed_;
}

std::uint8_t PanelStream::take() {
    const std::uint8_t b = pending_.front();
    pending_.pop_front();
    return b;
}

bool PanelStream::takePurge() {
    const bool purged = purged_;
    purged_ = false;
    return purged;
}

PanelStream::Ready PanelStream::waitFor(short events, Clock::time_point deadline) {
    for (;;) {
        if (wakeup_.stopping()) return Ready::Stopped;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0) return Ready::Timeout;
        pollfd fds[2] = {{fd_, events, 0}, {wakeup_.stopFd(), POLLIN, 0}};
        const int n = ::poll(fds, 2, static_cast<int>(left));
        if (wakeup_.stopping()) return Ready::Stopped;
        if (n > 0 && fds[0].revents != 0) return Ready::Yes;
        if (n < 0 && errno != EINTR) return Ready::Timeout;
    }
}

PanelStream::Wait PanelStream::waitByte(std::uint8_t& byte, Clock::time_point deadline) {
    for (;;) {
        if (!pending_.empty()) {
            byte = take();
            return Wait::Byte;
        }
        if (closed_) return Wait::Closed;
        switch (waitFor(POLLIN, deadline)) {
            case Ready::Stopped:
                return Wait::Stopped;
            case Ready::Timeout:
                return Wait::Timeout;
            case Ready::Yes:
                pump();
                break;
        }
    }
}

bool PanelStream::write(std::span<const std::uint8_t> bytes) {
    if (closed_) return false;
    if (baud_ > 0) {
        // The bytes arrive when the last of them would have left the wire.
        const auto wire =
            std::chrono::microseconds(static_cast<long long>(bytes.size()) * 10 * 1000000 / baud_);
        if (!pause(std::chrono::ceil<std::chrono::milliseconds>(wire))) return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = kind_ == StreamKind::Tcp
                              ? ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                              : ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto deadline = Clock::now() + std::chrono::milliseconds(writeStallMs_);
            if (waitFor(POLLOUT, deadline) != Ready::Yes) return false;
            continue;
        }
        closed_ = true;
        return false;
    }
    return true;
}

bool PanelStream::pause(std::chrono::milliseconds duration) {
    const Clock::time_point deadline = Clock::now() + duration;
    for (;;) {
        if (wakeup_.stopping()) return false;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return true;
        pollfd fd{wakeup_.stopFd(), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left));
    }
}

}  // namespace loom::panelsim

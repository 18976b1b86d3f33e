#include "platform/PosixIo.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/WaitableEvent.h"

namespace loom::posixio {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Milliseconds left until `deadline` for poll(), never negative.
int remainingMs(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

WaitStatus waitForInput(int fd, int timeoutMs, const WaitableEvent* abort) {
    const bool forever = timeoutMs < 0;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    pollfd fds[2] = {{fd, POLLIN, 0}, {abort ? abort->pollHandle() : -1, POLLIN, 0}};
    const nfds_t count = abort ? 2 : 1;
    for (;;) {
        const int rc = ::poll(fds, count, forever ? -1 : remainingMs(deadline));
        if (rc < 0) {
            if (errno == EINTR) continue;
            return WaitStatus::Readable;  // let the read find out what is wrong
        }
        if (abort && (fds[1].revents & POLLIN)) return WaitStatus::Aborted;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) return WaitStatus::Readable;
        if (!forever && remainingMs(deadline) == 0) return WaitStatus::TimedOut;
    }
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes, bool socket, int stallMs) {
    while (!bytes.empty()) {
        const ssize_t n = socket ? ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                 : ::write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return false;
        pollfd p{fd, POLLOUT, 0};
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(stallMs);
        for (;;) {
            const int rc = ::poll(&p, 1, remainingMs(deadline));
            if (rc > 0) break;
            if (rc == 0 || errno != EINTR) return false;
        }
        if ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) return false;
    }
    return true;
}

bool hungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&p, 1, 0);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace loom::posixio

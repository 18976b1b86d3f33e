#include "platform/WaitableEvent.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace loom {

// A pipe carries the signal so that poll() can wait on it beside a channel. The flag
// under the mutex is the truth; the pipe holds one byte exactly while it is set.
WaitableEvent::WaitableEvent() {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    for (int fd : fds) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    readEnd_ = fds[0];
    writeEnd_ = fds[1];
}

WaitableEvent::~WaitableEvent() {
    ::close(readEnd_);
    ::close(writeEnd_);
}

void WaitableEvent::set() {
    std::lock_guard lock(mutex_);
    if (signalled_) return;
    signalled_ = true;
    const char one = 1;
    while (::write(writeEnd_, &one, 1) < 0 && errno == EINTR) {
    }
}

void WaitableEvent::reset() {
    (void)tryWait();
}

bool WaitableEvent::tryWait() {
    std::lock_guard lock(mutex_);
    if (!signalled_) return false;
    signalled_ = false;
    char byte;
    while (::read(readEnd_, &byte, 1) < 0 && errno == EINTR) {
    }
    return true;
}

bool WaitableEvent::wait(std::chrono::milliseconds timeout) {
    return waitAny({this}, timeout) == 0;
}

int WaitableEvent::waitAny(std::initializer_list<WaitableEvent*> events,
                           std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const bool forever = timeout.count() < 0;
    const Clock::time_point deadline = Clock::now() + (forever ? Clock::duration{} : timeout);
    std::vector<pollfd> fds;
    fds.reserve(events.size());
    for (WaitableEvent* e : events)
        fds.push_back({e->readEnd_, POLLIN, 0});
    for (;;) {
        int index = 0;
        for (WaitableEvent* e : events) {
            if (e->tryWait()) return index;
            ++index;
        }
        int waitMs = -1;
        if (!forever) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return -1;
            waitMs = static_cast<int>(left);
        }
        // Another waiter may take the signal between poll and tryWait: loop and wait again.
        ::poll(fds.data(), fds.size(), waitMs);
    }
}

}  // namespace loom

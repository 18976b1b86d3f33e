#include "Wakeup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace loom::panelsim {
namespace {

void makePipe(UniqueFd& readEnd, UniqueFd& writeEnd) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe() failed");
    readEnd = UniqueFd(fds[0]);
    writeEnd = UniqueFd(fds[1]);
    for (int fd : fds) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

void signal(const UniqueFd& writeEnd) {
    const char one = 1;
    // A full pipe already wakes the reader: a failed write loses nothing.
    while (::write(writeEnd.get(), &one, 1) < 0 && errno == EINTR) {
    }
}

}  // namespace

Wakeup::Wakeup() {
    makePipe(stopRead_, stopWrite_);
    makePipe(notifyRead_, notifyWrite_);
}

void Wakeup::notify() {
    signal(notifyWrite_);
}

void Wakeup::stop() {
    stopping_ = true;
    signal(stopWrite_);
}

void Wakeup::drainNotify() {
    char buffer[64];
    while (::read(notifyRead_.get(), buffer, sizeof buffer) > 0) {
    }
}

}  // namespace loom::panelsim

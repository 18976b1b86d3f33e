#include "InterruptCancel.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include "transfer/UiThread.h"

namespace loom::cli {
namespace {

// The handler may only touch what is safe in a signal handler: an int and write().
volatile std::sig_atomic_t wakeFd = -1;
struct sigaction previousAction {};

extern "C" void onInterrupt(int) {
    const int fd = wakeFd;
    if (fd < 0) return;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}

}  // namespace

InterruptCancel::InterruptCancel(UiThread& ui, std::function<void()> cancel)
    : ui_(ui), cancel_(std::move(cancel)) {
    int fds[2];
    if (::pipe(fds) != 0) return;  // Ctrl-C then simply ends the process
    readFd_ = fds[0];
    writeFd_ = fds[1];
    ::fcntl(readFd_, F_SETFD, FD_CLOEXEC);
    ::fcntl(writeFd_, F_SETFD, FD_CLOEXEC);
    wakeFd = writeFd_;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    installed_ = ::sigaction(SIGINT, &action, &previousAction) == 0;
    watcher_ = std::thread([this] { watch(); });
}

InterruptCancel::~InterruptCancel() {
    if (installed_) ::sigaction(SIGINT, &previousAction, nullptr);
    wakeFd = -1;
    // Closing the write end ends the watcher's read.
    if (writeFd_ >= 0) ::close(writeFd_);
    if (watcher_.joinable()) watcher_.join();
    if (readFd_ >= 0) ::close(readFd_);
}

void InterruptCancel::watch() {
    char byte = 0;
    for (;;) {
        const ssize_t got = ::read(readFd_, &byte, 1);
        if (got == 1) {
            interrupted_ = true;
            ui_.post(cancel_);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return;
    }
}

}  // namespace loom::cli

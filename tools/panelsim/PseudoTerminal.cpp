#include "PseudoTerminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace loom::panelsim {

std::unique_ptr<PseudoTerminal> PseudoTerminal::open(bool packetMode, std::string& error) {
    std::unique_ptr<PseudoTerminal> pty(new PseudoTerminal);
    pty->master_ = UniqueFd(::posix_openpt(O_RDWR | O_NOCTTY));
    if (!pty->master_) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return nullptr;
    }
    const int master = pty->master_.get();
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = std::string("grantpt/unlockpt: ") + std::strerror(errno);
        return nullptr;
    }
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return nullptr;
    }
    pty->slavePath_ = name;
    pty->slave_ = UniqueFd(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty->slave_) {
        error = "cannot open " + pty->slavePath_ + ": " + std::strerror(errno);
        return nullptr;
    }
    // Raw at once: a program that opens the port before configuring it must not see
    // echoes or translated line ends.
    termios t{};
    if (::tcgetattr(pty->slave_.get(), &t) != 0) {
        error = std::string("tcgetattr: ") + std::strerror(errno);
        return nullptr;
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(pty->slave_.get(), TCSANOW, &t) != 0) {
        error = std::string("tcsetattr: ") + std::strerror(errno);
        return nullptr;
    }
    int on = 1;
    if (packetMode && ::ioctl(master, TIOCPKT, &on) != 0) {
        error = std::string("TIOCPKT: ") + std::strerror(errno);
        return nullptr;
    }
    pty->packetMode_ = packetMode;
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return pty;
}

}  // namespace loom::panelsim

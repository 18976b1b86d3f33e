#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkMessage.h"

namespace loom::test {

// Up to `n` bytes from `fd`; fewer when none come for `idleMs` or the other end closed.
inline std::vector<std::uint8_t> readBytes(int fd, std::size_t n, int idleMs) {
    std::vector<std::uint8_t> out;
    for (pollfd p{fd, POLLIN, 0}; out.size() < n && ::poll(&p, 1, idleMs) > 0;) {
        std::uint8_t buffer[256];
        const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, n - out.size()));
        if (got <= 0) break;
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

// Bytes through a terminal as they are, without line editing or echo.
inline void makeRaw(int fd) {
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
}

inline sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// The host's end of a panel link as raw bytes, over a TCP socket or a pseudo-terminal:
// for tests of a simulated panel that must not depend on the program's link code.
class RawPanelWire {
  public:
    using Bytes = std::vector<std::uint8_t>;

    static RawPanelWire tcp(std::uint16_t port) {
        RawPanelWire w(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const sockaddr_in a = loopback(port);
        EXPECT_EQ(::connect(w.fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
        // An ACK byte and the frame after it go out at once, as the program's do.
        const int on = 1;
        ::setsockopt(w.fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return w;
    }
    // Opens the device raw and purges it, as the program opens its port.
    static RawPanelWire serial(const std::string& path) {
        RawPanelWire w(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
        makeRaw(w.fd_);
        ::tcflush(w.fd_, TCIOFLUSH);
        return w;
    }

    RawPanelWire(RawPanelWire&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    RawPanelWire& operator=(RawPanelWire&&) = delete;
    ~RawPanelWire() { close(); }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    void send(std::span<const std::uint8_t> bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void send(std::string_view text) {
        send({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    void ack() { send(Bytes{msg::kAck}); }
    Bytes read(std::size_t n) { return readBytes(fd_, n, 10000); }
    // The next 21 bytes as a frame (type 0xFE when they did not come).
    LinkMessage readFrame() {
        LinkMessage m;
        const Bytes b = read(LinkMessage::kFrameSize);
        if (b.size() == LinkMessage::kFrameSize)
            m.setFrame(std::span<const std::uint8_t, LinkMessage::kFrameSize>(b.data(), b.size()));
        return m;
    }
    // Sends a command frame and takes the panel's ACK byte.
    std::uint8_t command(std::uint8_t type, std::uint16_t word = 0,
                         const LinkMessage::Data& data = {}) {
        send(LinkMessage::buildFrame(type, word, data));
        const Bytes b = read(1);
        return b.empty() ? 0xFF : b[0];
    }

  private:
    explicit RawPanelWire(int fd) : fd_(fd) { EXPECT_GE(fd_, 0); }

    int fd_;
};

}  // namespace loom::test

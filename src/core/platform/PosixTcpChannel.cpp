#include "platform/PosixTcpChannel.h"

#include "common/Messages.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace loom {

int PosixTcpChannel::portNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 65535) return -1;  // stops before the number can overflow
    }
    if (negative || value == 0) return -1;
    return static_cast<int>(value);
}

std::unique_ptr<PosixTcpChannel> PosixTcpChannel::connect(std::string_view address,
                                                          std::string_view port, std::string& error,
                                                          int writeStallMs) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!fd) {
        error = messageText(MessageId::TcpSocketFailed);
        return nullptr;
    }
    // A port that is no TCP port, or an address that is not dotted-decimal IPv4, cannot be
    // connected to: the same failure as a refused connection.
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    const int number = portNumber(port);
    if (number < 0 || ::inet_pton(AF_INET, std::string(address).c_str(), &peer.sin_addr) != 1) {
        error = messageText(MessageId::TcpConnectFailed);
        return nullptr;
    }
    peer.sin_port = htons(static_cast<std::uint16_t>(number));
    int rc;
    do {
        rc = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        error = messageText(MessageId::TcpConnectFailed);
        return nullptr;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        error = messageText(MessageId::TcpNonBlockingFailed);
        return nullptr;
    }
    // Frames of 21 bytes and single acknowledgement bytes each wait for their answer;
    // holding them back for coalescing would cost a delayed-ack round per message.
    const int one = 1;
    ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return std::make_unique<PosixTcpChannel>(std::move(fd), writeStallMs);
}

PosixTcpChannel::PosixTcpChannel(UniqueFd fd, int writeStallMs)
    : fd_(std::move(fd)), writeStallMs_(writeStallMs) {}

bool PosixTcpChannel::write(std::span<const std::uint8_t> bytes) {
    return posixio::writeAll(fd_.get(), bytes, true, writeStallMs_);
}

bool PosixTcpChannel::writeNow(std::span<const std::uint8_t> bytes, int stallMs) {
    return posixio::writeAll(fd_.get(), bytes, true, stallMs);
}

bool PosixTcpChannel::hungUp() {
    // The peer's end of stream shows as POLLRDHUP before any read; unread input before it
    // does not hide it.
    pollfd p{fd_.get(), POLLRDHUP, 0};
    int rc;
    do {
        rc = ::poll(&p, 1, 0);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 || (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

ReadStatus PosixTcpChannel::read(std::span<std::uint8_t> out, std::size_t& count) {
    count = 0;
    if (out.empty()) return ReadStatus::WouldBlock;
    ssize_t n;
    do {
        n = ::recv(fd_.get(), out.data(), out.size(), 0);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        count = static_cast<std::size_t>(n);
        return ReadStatus::Data;
    }
    if (n == 0) return ReadStatus::Closed;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINPROGRESS)
        return ReadStatus::WouldBlock;
    return ReadStatus::Failed;
}

long PosixTcpChannel::queued() {
    int count = 0;
    if (::ioctl(fd_.get(), FIONREAD, &count) != 0) return -1;
    return count;
}

WaitStatus PosixTcpChannel::waitReadable(int timeoutMs, const WaitableEvent* abort) {
    return posixio::waitForInput(fd_.get(), timeoutMs, abort);
}

}  // namespace loom

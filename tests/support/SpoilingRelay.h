#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "support/RawPanelWire.h"

namespace loom::test {

// A loopback TCP relay to a panel that flips a bit of every PROM block at `address` (checksum
// to match): a PROM that reads back other than written. Serves connections in turn.
class SpoilingRelay {
  public:
    SpoilingRelay(std::uint16_t panelPort, std::uint32_t address)
        : panelPort_(panelPort), address_(address) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = loopback(0);
        socklen_t length = sizeof a;
        EXPECT_EQ(::bind(listener_, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::listen(listener_, 4), 0);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~SpoilingRelay() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }

    std::uint16_t port() const { return port_; }

  private:
    void serve() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int host = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (host < 0) continue;
            const int panel = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const sockaddr_in a = loopback(panelPort_);
            if (::connect(panel, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0)
                relay(host, panel);
            ::close(panel);
            ::close(host);
        }
    }

    void relay(int host, int panel) {
        std::vector<std::uint8_t> frame;  // a panel frame coming in
        while (!stop_) {
            pollfd p[2] = {{host, POLLIN, 0}, {panel, POLLIN, 0}};
            if (::poll(p, 2, 50) <= 0) continue;
            std::uint8_t buffer[256];
            if (p[0].revents) {
                const ssize_t got = ::read(host, buffer, sizeof buffer);
                if (got <= 0 || !send(panel, {buffer, buffer + got})) return;
            }
            if (p[1].revents) {
                const ssize_t got = ::read(panel, buffer, sizeof buffer);
                if (got <= 0) return;
                for (ssize_t i = 0; i < got; ++i) {
                    frame.push_back(buffer[i]);
                    // The panel's bare ACK and NAK bytes stand between its frames.
                    const bool bare =
                        frame.size() == 1 && (frame[0] == msg::kAck || frame[0] == msg::kNak);
                    if (!bare && frame.size() < LinkMessage::kFrameSize) continue;
                    if (!bare) spoil(frame);
                    if (!send(host, frame)) return;
                    frame.clear();
                }
            }
        }
    }

    static bool send(int fd, const std::vector<std::uint8_t>& bytes) {
        return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    void spoil(std::vector<std::uint8_t>& f) const {
        const auto word = static_cast<std::uint16_t>(f[1] << 8 | f[2]);
        if (f[0] != msg::kPromBlock || LinkMessage::decodeAddress(word) != address_) return;
        f[3] ^= 0x01;
        const std::uint16_t sum = LinkMessage::checksum({f.data(), 19});
        f[19] = static_cast<std::uint8_t>(sum >> 8);
        f[20] = static_cast<std::uint8_t>(sum);
    }

    std::uint16_t panelPort_;
    std::uint32_t address_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace loom::test

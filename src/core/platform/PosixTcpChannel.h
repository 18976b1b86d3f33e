#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/Channel.h"
#include "platform/PosixIo.h"
#include "platform/UniqueFd.h"

namespace loom {

// A connected, non-blocking TCP socket.
class PosixTcpChannel final : public Channel {
  public:
    // Blocking connect to an IPv4 dotted-decimal address; null with `error` set on failure.
    static std::unique_ptr<PosixTcpChannel> connect(std::string_view address, std::string_view port,
                                                    std::string& error,
                                                    int writeStallMs = posixio::kWriteStallMs);
    PosixTcpChannel(UniqueFd fd, int writeStallMs);

    ChannelKind kind() const override { return ChannelKind::Tcp; }
    bool write(std::span<const std::uint8_t> bytes) override;
    bool writeNow(std::span<const std::uint8_t> bytes, int stallMs) override;
    bool hungUp() override;
    ReadStatus read(std::span<std::uint8_t> out, std::size_t& count) override;
    long queued() override;
    // The link drains a socket by reading; there is nothing to discard here.
    bool purge(bool, bool) override { return true; }
    WaitStatus waitReadable(int timeoutMs, const WaitableEvent* abort) override;

    // The port number of a port text, read as a plain text-to-integer conversion would
    // (leading blanks and sign, digits up to the first other character); -1 when the
    // value is no TCP port (0, negative or above 65535).
    static int portNumber(std::string_view text);

  private:
    UniqueFd fd_;
    int writeStallMs_;
};

}  // namespace loom

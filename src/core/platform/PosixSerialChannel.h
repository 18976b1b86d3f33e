#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Channel.h"
#include "platform/PosixIo.h"
#include "platform/UniqueFd.h"

namespace loom {

// A termios serial port in raw mode. Input the kernel holds is drained into a buffer of
// our own so that queued() is an exact count and a wait can ask for new input only.
class PosixSerialChannel final : public Channel {
  public:
    // Opens and configures `path` exclusively; null with `error` set when that fails.
    static std::unique_ptr<PosixSerialChannel> open(const std::string& path,
                                                    const SerialSettings& settings,
                                                    std::string& error,
                                                    int writeStallMs = posixio::kWriteStallMs);
    PosixSerialChannel(UniqueFd fd, int writeStallMs, int baud = 9600);
    ~PosixSerialChannel() override;

    ChannelKind kind() const override { return ChannelKind::Serial; }
    bool write(std::span<const std::uint8_t> bytes) override;
    bool writeNow(std::span<const std::uint8_t> bytes, int stallMs) override;
    bool hungUp() override;
    ReadStatus read(std::span<std::uint8_t> out, std::size_t& count) override;
    long queued() override;
    bool purge(bool input, bool output) override;
    WaitStatus waitReadable(int timeoutMs, const WaitableEvent* abort) override;

  private:
    // Moves what the kernel holds into the buffer; false once reading has failed.
    bool drain();
    std::size_t buffered() const { return input_.size() - head_; }
    // Waits until the port has sent what was written; false when it stalls.
    bool waitSent();

    UniqueFd fd_;
    int writeStallMs_;
    int baud_;
    std::vector<std::uint8_t> input_;
    std::size_t head_ = 0;  // first unread byte of input_
    bool failed_ = false;
};

}  // namespace loom

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace loom {

class WaitableEvent;

enum class ChannelKind { Serial, Tcp };

enum class ReadStatus {
    Data,        // at least one byte was read
    WouldBlock,  // nothing is there now
    Closed,      // the other end closed the connection (TCP end of stream)
    Failed,      // the read itself failed
};

enum class WaitStatus { Readable, Aborted, TimedOut };

// One open connection to the panel: a serial port (local or modem) or a TCP socket.
// Nothing here waits except waitReadable; every handle is released by the destructor.
class Channel {
  public:
    virtual ~Channel() = default;
    virtual ChannelKind kind() const = 0;

    // Writes the whole buffer (serial: a blocking write; TCP: send until all is out).
    // False on an error, or when the other end takes nothing for 30 s.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Writes the whole buffer without waiting for it to leave the machine, and fails once
    // the other end has taken nothing for `stallMs`: for the user's thread, which must not
    // wait on the line. The default suits channels whose write never waits.
    virtual bool writeNow(std::span<const std::uint8_t> bytes, int stallMs) {
        (void)stallMs;
        return write(bytes);
    }
    // True when the line tells, without a read, that the other end has gone (TCP: the peer
    // closed or reset the connection; serial: the device hung up or went away).
    virtual bool hungUp() { return false; }
    // Reads what is there now, up to out.size(), without waiting.
    virtual ReadStatus read(std::span<std::uint8_t> out, std::size_t& count) = 0;
    // Serial: bytes waiting in the input queue; -1 when the count cannot be read. TCP:
    // bytes known to be waiting (may be 0 while more is on its way).
    virtual long queued() = 0;
    // Discards waiting input and/or unsent output. False when the port refuses.
    virtual bool purge(bool input, bool output) = 0;
    // Waits until input beyond what queued() reported has arrived, `abort` (when given)
    // is signalled, or timeoutMs has passed. Does not reset `abort`. A hang-up or an error
    // of the line counts as readable, so that the next read reports it.
    virtual WaitStatus waitReadable(int timeoutMs, const WaitableEvent* abort) = 0;
};

struct SerialSettings {
    int baud = 9600;
    bool oddParity = true;
};

// Opens channels. The program uses the POSIX one; tests put in-memory channels here.
class ChannelFactory {
  public:
    virtual ~ChannelFactory() = default;
    // A port name "COMn" (n from 1) or a device path. Null when the port cannot be opened
    // or configured; `error` then says why (for the user, code page 1252).
    virtual std::unique_ptr<Channel> openSerial(std::string_view portName,
                                                const SerialSettings& settings,
                                                std::string& error) = 0;
    // Blocking connect to a dotted-decimal address and a decimal port text, then
    // non-blocking mode. Null on failure; `error` holds the failing step's message (the
    // catalogue's TcpSocketFailed, TcpConnectFailed or TcpNonBlockingFailed).
    virtual std::unique_ptr<Channel> connectTcp(std::string_view address, std::string_view port,
                                                std::string& error) = 0;
};

// The POSIX channels: termios serial ports (COMn is /dev/ttyS(n-1)) and TCP sockets.
class PosixChannelFactory final : public ChannelFactory {
  public:
    std::unique_ptr<Channel> openSerial(std::string_view portName, const SerialSettings& settings,
                                        std::string& error) override;
    std::unique_ptr<Channel> connectTcp(std::string_view address, std::string_view port,
                                        std::string& error) override;
    // The device a port name stands for: "COM3" is /dev/ttyS2, anything else as given.
    static std::string devicePath(std::string_view portName);
};

}  // namespace loom

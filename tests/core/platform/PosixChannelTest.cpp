#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "platform/Channel.h"
#include "platform/PosixSerialChannel.h"
#include "platform/PosixTcpChannel.h"
#include "platform/UniqueFd.h"
#include "platform/WaitableEvent.h"
#include "support/PseudoTerminal.h"

namespace loom {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::PseudoTerminal;

constexpr int kPatienceMs = 5000;  // only a broken channel waits this long

Bytes bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

Bytes everyByteValue() {
    Bytes bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

// Waits and reads until `count` bytes came, a read does not give data, or a wait times out.
Bytes readBytes(Channel& channel, std::size_t count, ReadStatus* lastStatus = nullptr) {
    Bytes bytes;
    ReadStatus ignored;
    ReadStatus& last = lastStatus ? *lastStatus : ignored;
    last = ReadStatus::WouldBlock;
    while (bytes.size() < count) {
        std::uint8_t chunk[300];
        std::size_t n = 0;
        last = channel.read(std::span(chunk, std::min(sizeof chunk, count - bytes.size())), n);
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (last == ReadStatus::Closed || last == ReadStatus::Failed) break;
        if (last == ReadStatus::WouldBlock &&
            channel.waitReadable(kPatienceMs, nullptr) != WaitStatus::Readable)
            break;
    }
    return bytes;
}

// Whether `done` comes true before the patience runs out.
bool eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Waits until at least `count` bytes are queued (or a wait times out); returns the count.
long waitQueued(Channel& channel, long count) {
    long queued = channel.queued();
    while (queued >= 0 && queued < count &&
           channel.waitReadable(kPatienceMs, nullptr) == WaitStatus::Readable)
        queued = channel.queued();
    return queued;
}

// Port names map to devices only as COM1..COM10; anything else is a path already.
TEST(PosixChannelFactory, MapsPortNamesAndReadsPortNumbersLikeAPlainConversion) {
    const std::pair<const char*, const char*> devices[] = {
        {"COM1", "/dev/ttyS0"}, {"COM10", "/dev/ttyS9"}, {"COM0", "COM0"}, {"COM3x", "COM3x"}};
    for (const auto& [name, device] : devices)
        EXPECT_EQ(PosixChannelFactory::devicePath(name), device) << name;
    const std::pair<const char*, int> ports[] = {
        {" +4001x", 4001}, {"65535", 65535}, {"65536", -1}, {"0", -1}, {"", -1}};
    for (const auto& [text, port] : ports)
        EXPECT_EQ(PosixTcpChannel::portNumber(text), port) << text;
}

class SerialChannelTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.ok());
        std::string error;
        channel_ = PosixChannelFactory().openSerial(pty_.slavePath(), {9600, true}, error);
        ASSERT_NE(channel_, nullptr) << error;
    }

    PseudoTerminal pty_;
    std::unique_ptr<Channel> channel_;
};

// Every byte value passes both ways; queued() counts buffered input, a wait reports only
// new input, and a purge drops what is queued.
TEST_F(SerialChannelTest, CarriesEveryByteAndCountsWhatIsQueued) {
    EXPECT_EQ(channel_->kind(), ChannelKind::Serial);
    ASSERT_TRUE(pty_.send(everyByteValue()));
    EXPECT_EQ(readBytes(*channel_, 256), everyByteValue());
    ASSERT_TRUE(channel_->write(everyByteValue()));
    EXPECT_EQ(pty_.receive(256), everyByteValue());

    ASSERT_TRUE(pty_.send(bytesOf("abc")));
    EXPECT_EQ(waitQueued(*channel_, 3), 3);
    EXPECT_EQ(channel_->waitReadable(20, nullptr), WaitStatus::TimedOut);
    ASSERT_TRUE(pty_.send(bytesOf("de")));
    EXPECT_EQ(channel_->waitReadable(kPatienceMs, nullptr), WaitStatus::Readable);
    EXPECT_EQ(waitQueued(*channel_, 5), 5);
    EXPECT_EQ(readBytes(*channel_, 2), bytesOf("ab"));
    EXPECT_EQ(channel_->queued(), 3);
    EXPECT_TRUE(channel_->purge(true, true));
    EXPECT_EQ(channel_->queued(), 0);
    std::uint8_t byte;
    std::size_t n = 1;
    EXPECT_EQ(channel_->read(std::span(&byte, 1), n), ReadStatus::WouldBlock);
    EXPECT_EQ(n, 0u);
    WaitableEvent abort;  // ends a wait without being consumed
    abort.set();
    EXPECT_EQ(channel_->waitReadable(kPatienceMs, &abort), WaitStatus::Aborted);
    EXPECT_TRUE(abort.tryWait());
}

TEST_F(SerialChannelTest, UnpluggedDeviceFailsTheNextRead) {
    ASSERT_TRUE(pty_.send(bytesOf("q")));
    ASSERT_EQ(waitQueued(*channel_, 1), 1);
    EXPECT_FALSE(channel_->hungUp());
    pty_.closeMaster();
    EXPECT_TRUE(eventually([&] { return channel_->hungUp(); }));
    EXPECT_EQ(channel_->waitReadable(kPatienceMs, nullptr), WaitStatus::Readable);
    ReadStatus last;
    EXPECT_EQ(readBytes(*channel_, 2, &last), bytesOf("q"));  // what came before still counts
    EXPECT_EQ(last, ReadStatus::Failed);
    EXPECT_EQ(channel_->queued(), -1);
}

// A listening socket on 127.0.0.1 with a port of the system's choice.
class Listener {
  public:
    Listener() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ok_ = ::bind(fd_.get(), reinterpret_cast<sockaddr*>(&address), size) == 0 &&
              ::getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
              ::listen(fd_.get(), 1) == 0;
        port_ = std::to_string(ntohs(address.sin_port));
    }
    bool ok() const { return ok_; }
    const std::string& port() const { return port_; }
    UniqueFd accept() { return UniqueFd(::accept(fd_.get(), nullptr, nullptr)); }

  private:
    UniqueFd fd_;
    bool ok_ = false;
    std::string port_;
};

TEST(TcpChannelTest, CarriesBytesBothWaysUntilThePeerCloses) {
    Listener listener;
    ASSERT_TRUE(listener.ok());
    std::string error;
    auto channel = PosixChannelFactory().connectTcp("127.0.0.1", listener.port(), error);
    ASSERT_NE(channel, nullptr) << error;
    EXPECT_EQ(channel->kind(), ChannelKind::Tcp);
    UniqueFd peer = listener.accept();
    ASSERT_TRUE(peer);

    EXPECT_EQ(channel->waitReadable(10, nullptr), WaitStatus::TimedOut);
    std::uint8_t none;
    std::size_t n = 1;
    EXPECT_EQ(channel->read(std::span(&none, 1), n), ReadStatus::WouldBlock);

    ASSERT_TRUE(channel->write(everyByteValue()));
    Bytes got(256);
    ASSERT_EQ(::recv(peer.get(), got.data(), got.size(), MSG_WAITALL), 256);
    EXPECT_EQ(got, everyByteValue());

    const Bytes frame = bytesOf("twenty-one byte frame");
    ASSERT_EQ(::send(peer.get(), frame.data(), frame.size(), 0), 21);
    EXPECT_EQ(waitQueued(*channel, 21), 21);
    EXPECT_EQ(readBytes(*channel, 21), frame);

    EXPECT_FALSE(channel->hungUp());
    ASSERT_EQ(::send(peer.get(), frame.data(), 1, 0), 1);
    peer.reset();
    // The close shows before the byte still unread is taken.
    EXPECT_TRUE(eventually([&] { return channel->hungUp(); }));
    EXPECT_EQ(readBytes(*channel, 1), Bytes{frame[0]});
    EXPECT_EQ(channel->read(std::span(&none, 1), n), ReadStatus::Closed);
}

}  // namespace
}  // namespace loom

#include <gtest/gtest.h>

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
    ReadStatus ignored = ReadStatus::WouldBlock;
    ReadStatus& last = lastStatus ? *lastStatus : ignored;
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

// Every byte value passes both ways; queued() counts buffered input, a wait reports only
// new input, and a purge drops what is queued. Unplugged, the next read fails after the
// bytes that came before.
TEST(SerialChannelTest, CarriesEveryByteCountsWhatIsQueuedAndFailsOnceUnplugged) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    std::string error;
    auto channel = PosixChannelFactory().openSerial(pty.slavePath(), {9600, true}, error);
    ASSERT_NE(channel, nullptr) << error;
    ASSERT_TRUE(pty.send(everyByteValue()));
    EXPECT_EQ(readBytes(*channel, 256), everyByteValue());
    ASSERT_TRUE(channel->write(everyByteValue()));
    EXPECT_EQ(pty.receive(256), everyByteValue());

    ASSERT_TRUE(pty.send(bytesOf("abc")));
    EXPECT_EQ(waitQueued(*channel, 3), 3);
    EXPECT_EQ(channel->waitReadable(20, nullptr), WaitStatus::TimedOut);
    ASSERT_TRUE(pty.send(bytesOf("de")));
    EXPECT_EQ(channel->waitReadable(kPatienceMs, nullptr), WaitStatus::Readable);
    EXPECT_EQ(waitQueued(*channel, 5), 5);
    EXPECT_TRUE(channel->purge(true, true));
    EXPECT_EQ(channel->queued(), 0);
    WaitableEvent abort;  // ends a wait without being consumed
    abort.set();
    EXPECT_EQ(channel->waitReadable(kPatienceMs, &abort), WaitStatus::Aborted);
    EXPECT_TRUE(abort.tryWait());

    ASSERT_TRUE(pty.send(bytesOf("q")));
    ASSERT_EQ(waitQueued(*channel, 1), 1);
    EXPECT_FALSE(channel->hungUp());
    pty.closeMaster();
    EXPECT_TRUE(eventually([&] { return channel->hungUp(); }));
    ReadStatus last;
    EXPECT_EQ(readBytes(*channel, 2, &last), bytesOf("q"));
    EXPECT_EQ(last, ReadStatus::Failed);
    EXPECT_EQ(channel->queued(), -1);
}

}  // namespace
}  // namespace loom

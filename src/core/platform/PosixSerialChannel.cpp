#include "platform/PosixSerialChannel.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <thread>

#include "common/Messages.h"
#include "platform/FileSystem.h"

namespace loom {

namespace {

// Input held beyond this stays in the kernel: a device that talks without pause must not
// grow our buffer without bound while nobody reads.
constexpr std::size_t kInputLimit = 64 * 1024;

// The termios speed for a baud rate: the exact one, else the fastest standard rate below
// it; nonsense values get the panel's usual 9600.
speed_t speedFor(int baud) {
    struct Rate {
        int baud;
        speed_t speed;
    };
    static constexpr Rate kRates[] = {
        {300, B300},   {600, B600},     {1200, B1200},   {2400, B2400},   {4800, B4800},
        {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    if (baud <= 0) return B9600;
    speed_t speed = B300;
    for (const Rate& r : kRates)
        if (r.baud <= baud) speed = r.speed;
    return speed;
}

// Linux numbers its pseudo-terminal slaves with majors 136-143.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

// Why a port failed, as the user reads it: a port name the kernel keeps for a device that
// is not there fails with ENXIO or ENODEV.
std::string reason(int err) {
    if (err == ENXIO || err == ENODEV) return std::string(messageText(MessageId::SerialNoDevice));
    return systemErrorText(err);
}

bool configure(int fd, const SerialSettings& settings) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    const speed_t speed = speedFor(settings.baud);
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return false;
    if (settings.oddParity) {
        termios withParity = t;
        withParity.c_cflag |= PARENB | PARODD;
        withParity.c_iflag |= INPCK;
        if (::tcsetattr(fd, TCSANOW, &withParity) == 0) return true;
        // A pseudo-terminal may refuse parity on a repeated set-up; it carries no bits on
        // a wire, so it runs without. A real port that refuses is not usable.
        if (!isPseudoTerminal(fd)) return false;
    }
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

std::unique_ptr<PosixSerialChannel> PosixSerialChannel::open(const std::string& path,
                                                             const SerialSettings& settings,
                                                             std::string& error, int writeStallMs) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        const int err = errno;
        error = fileMessage(MessageId::SerialCannotOpen, path, reason(err));
        return nullptr;
    }
    if (!::isatty(fd.get())) {
        error = fileMessage(MessageId::SerialNotAPort, path);
        return nullptr;
    }
    if (::ioctl(fd.get(), TIOCEXCL) != 0) {
        const int err = errno;
        error = fileMessage(MessageId::SerialCannotLock, path, reason(err));
        return nullptr;
    }
    auto channel = std::make_unique<PosixSerialChannel>(std::move(fd), writeStallMs, settings.baud);
    if (!configure(channel->fd_.get(), settings) || ::tcflush(channel->fd_.get(), TCIOFLUSH) != 0) {
        const int err = errno;
        error = fileMessage(MessageId::SerialCannotConfigure, path, reason(err));
        return nullptr;
    }
    return channel;
}

PosixSerialChannel::PosixSerialChannel(UniqueFd fd, int writeStallMs, int baud)
    : fd_(std::move(fd)), writeStallMs_(writeStallMs), baud_(baud > 0 ? baud : 9600) {
    input_.reserve(256);
}

PosixSerialChannel::~PosixSerialChannel() {
    // The exclusive mark can outlive the descriptor (a pseudo-terminal whose other side
    // stays open); lift it so the port can be opened again.
    ::ioctl(fd_.get(), TIOCNXCL);
}

bool PosixSerialChannel::write(std::span<const std::uint8_t> bytes) {
    // A write returns once the bytes are on the wire, as a blocking port write does: the
    // pauses the panel relies on count from the end of a frame, not from its queueing.
    return posixio::writeAll(fd_.get(), bytes, false, writeStallMs_) && waitSent();
}

bool PosixSerialChannel::writeNow(std::span<const std::uint8_t> bytes, int stallMs) {
    return posixio::writeAll(fd_.get(), bytes, false, stallMs);
}

bool PosixSerialChannel::hungUp() {
    return failed_ || posixio::hungUp(fd_.get());
}

bool PosixSerialChannel::waitSent() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(writeStallMs_);
    for (;;) {
        int pending = 0;
        // A port that cannot tell has nothing to wait for.
        if (::ioctl(fd_.get(), TIOCOUTQ, &pending) != 0 || pending <= 0) return true;
        if (Clock::now() >= deadline) return false;
        // Sleep about as long as the queued bytes take on the wire (10 bits a byte).
        const long micros = std::max(200L, pending * 10'000'000L / baud_);
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
    }
}

bool PosixSerialChannel::drain() {
    if (failed_) return false;
    if (head_ > 0) {
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    std::uint8_t chunk[512];
    while (input_.size() < kInputLimit) {
        const std::size_t room = std::min(sizeof chunk, kInputLimit - input_.size());
        const ssize_t n = ::read(fd_.get(), chunk, room);
        if (n > 0) {
            input_.insert(input_.end(), chunk, chunk + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // A raw port with VMIN=0 reads 0 when empty, and also when it was hung up.
        if ((n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) || posixio::hungUp(fd_.get()))
            failed_ = true;
        break;
    }
    return !failed_;
}

long PosixSerialChannel::queued() {
    if (!drain()) return -1;
    return static_cast<long>(buffered());
}

ReadStatus PosixSerialChannel::read(std::span<std::uint8_t> out, std::size_t& count) {
    count = std::min(out.size(), buffered());
    std::copy_n(input_.begin() + static_cast<std::ptrdiff_t>(head_), count, out.begin());
    head_ += count;
    if (count < out.size() && !failed_) {
        ssize_t n;
        do {
            n = ::read(fd_.get(), out.data() + count, out.size() - count);
        } while (n < 0 && errno == EINTR);
        if (n > 0)
            count += static_cast<std::size_t>(n);
        else if ((n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) ||
                 (count == 0 && posixio::hungUp(fd_.get())))
            failed_ = true;
    }
    if (count > 0) return ReadStatus::Data;
    return failed_ ? ReadStatus::Failed : ReadStatus::WouldBlock;
}

bool PosixSerialChannel::purge(bool input, bool output) {
    if (input) {
        input_.clear();
        head_ = 0;
    }
    if (!input && !output) return true;
    const int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ::tcflush(fd_.get(), queue) == 0;
}

WaitStatus PosixSerialChannel::waitReadable(int timeoutMs, const WaitableEvent* abort) {
    return posixio::waitForInput(fd_.get(), timeoutMs, abort);
}

}  // namespace loom

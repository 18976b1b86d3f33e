#include "Endpoint.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace loom::panelsim {
namespace {

void note(PanelState& state, std::string text) {
    TranscriptEntry e;
    e.what = TranscriptEntry::What::Note;
    e.text = std::move(text);
    state.record(std::move(e));
}

std::optional<Clock::time_point> earlier(std::optional<Clock::time_point> a,
                                         std::optional<Clock::time_point> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

}  // namespace

// ---- TCP ----

TcpEndpoint::Connection::Connection(UniqueFd socket, PanelState& state, const Wakeup& wakeup)
    : fd(std::move(socket)),
      stream(fd.get(), StreamKind::Tcp, false, wakeup, state.settings().timings.writeStallMs),
      session(stream, state, true) {
    stream.setBaud(state.settings().baud);
}

std::unique_ptr<TcpEndpoint> TcpEndpoint::open(std::uint16_t port, PanelState& state,
                                               const Wakeup& wakeup, std::string& error) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd) {
        error = std::string("socket: ") + std::strerror(errno);
        return nullptr;
    }
    const int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "bind 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        return nullptr;
    }
    // Listening before open() returns: a connect from then on succeeds at once.
    if (::listen(fd.get(), 8) != 0) {
        error = std::string("listen: ") + std::strerror(errno);
        return nullptr;
    }
    socklen_t length = sizeof address;
    if (::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = std::string("getsockname: ") + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<TcpEndpoint>(
        new TcpEndpoint(std::move(fd), ntohs(address.sin_port), state, wakeup));
}

TcpEndpoint::TcpEndpoint(UniqueFd listener, std::uint16_t port, PanelState& state,
                         const Wakeup& wakeup)
    : listener_(std::move(listener)), port_(port), state_(state), wakeup_(wakeup) {}

int TcpEndpoint::pollFd() const {
    return connection_ ? connection_->fd.get() : listener_.get();
}

void TcpEndpoint::onReadable(Clock::time_point now) {
    if (!connection_) {
        UniqueFd socket(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!socket) return;
        // An ACK byte and the frame after it must not wait for each other.
        const int on = 1;
        ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        connection_ = std::make_unique<Connection>(std::move(socket), state_, wakeup_);
        note(state_, "tcp connection opened");
        connection_->session.begin(now);
        return;
    }
    connection_->stream.pump();
    serve();
}

std::optional<Clock::time_point> TcpEndpoint::deadline() const {
    return connection_ ? connection_->session.deadline() : std::nullopt;
}

void TcpEndpoint::onTimer(Clock::time_point now) {
    if (!connection_) return;
    connection_->session.onTimer(now);
    // Bytes the host sent while the panel waited in vain for an ACK are read already.
    serve();
}

void TcpEndpoint::pressReset(Clock::time_point now) {
    if (connection_) connection_->session.pressReset(now);
}

void TcpEndpoint::finish() {
    if (connection_) connection_->session.end();
    connection_.reset();
}

void TcpEndpoint::serve() {
    if (!connection_) return;
    Connection& c = *connection_;
    // Each byte at its own time: an operation may have run long since the last one.
    while (c.stream.hasPending() && !c.session.dropRequested())
        c.session.feed(c.stream.take(), Clock::now());
    const bool dropped = c.session.dropRequested();
    if (!dropped && !c.stream.closed()) return;
    note(state_, dropped ? "tcp connection closed by the panel" : "tcp connection closed");
    c.session.end();
    connection_.reset();
}

// ---- pseudo-terminals ----

std::unique_ptr<PtyEndpoint> PtyEndpoint::open(bool modem, PanelState& state, const Wakeup& wakeup,
                                               std::string& error) {
    // The serial port learns of the program's port opening from its purge (packet mode).
    std::unique_ptr<PseudoTerminal> pty = PseudoTerminal::open(!modem, error);
    if (!pty) return nullptr;
    return std::unique_ptr<PtyEndpoint>(new PtyEndpoint(std::move(pty), modem, state, wakeup));
}

PtyEndpoint::PtyEndpoint(std::unique_ptr<PseudoTerminal> pty, bool modem, PanelState& state,
                         const Wakeup& wakeup)
    : pty_(std::move(pty)),
      state_(state),
      stream_(pty_->master(), modem ? StreamKind::Modem : StreamKind::Serial, pty_->packetMode(),
              wakeup, state.settings().timings.writeStallMs),
      session_(stream_, state, modem) {
    stream_.setBaud(state.settings().baud);
    if (modem) modem_ = std::make_unique<HayesModem>(stream_, session_, state);
}

void PtyEndpoint::onReadable(Clock::time_point now) {
    stream_.pump();
    if (!modem_ && stream_.takePurge()) {
        note(state_, "serial port opened");
        session_.begin(now);
    }
    serve();
}

void PtyEndpoint::serve() {
    while (stream_.hasPending()) {
        const std::uint8_t byte = stream_.take();
        if (modem_)
            modem_->onByte(byte, Clock::now());
        else
            session_.feed(byte, Clock::now());
        dropIfAsked();
    }
}

std::optional<Clock::time_point> PtyEndpoint::deadline() const {
    std::optional<Clock::time_point> next = modem_ ? modem_->deadline() : std::nullopt;
    return panelOnLine() ? earlier(next, session_.deadline()) : next;
}

void PtyEndpoint::onTimer(Clock::time_point now) {
    if (modem_) modem_->onTimer(now);
    if (panelOnLine()) session_.onTimer(now);
    dropIfAsked();
    serve();
}

void PtyEndpoint::pressReset(Clock::time_point now) {
    if (panelOnLine()) session_.pressReset(now);
}

void PtyEndpoint::finish() {
    session_.end();
}

void PtyEndpoint::dropIfAsked() {
    if (!session_.dropRequested()) return;
    if (modem_) {
        modem_->dropCarrier();
    } else {
        // A serial line cannot be hung up: the panel forgets the operation and what the
        // host sent meanwhile.
        note(state_, "serial session reset by the panel");
        session_.end();
    }
    stream_.discardPending();
}

}  // namespace loom::panelsim

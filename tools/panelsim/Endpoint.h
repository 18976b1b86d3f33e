#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "HayesModem.h"
#include "PanelSession.h"
#include "PanelState.h"
#include "PanelStream.h"
#include "PseudoTerminal.h"
#include "Wakeup.h"
#include "platform/UniqueFd.h"

namespace loom::panelsim {

// One way in to the panel, served by the simulator's thread: it names the descriptor to
// watch, takes what arrives and runs its timers.
class Endpoint {
  public:
    virtual ~Endpoint() = default;
    virtual int pollFd() const = 0;
    virtual void onReadable(Clock::time_point now) = 0;
    virtual std::optional<Clock::time_point> deadline() const = 0;
    virtual void onTimer(Clock::time_point now) = 0;
    virtual void pressReset(Clock::time_point now) = 0;
    // The simulator stops: a session in progress ends.
    virtual void finish() = 0;
    // The endpoint can no longer be served and is dropped.
    virtual bool failed() const { return false; }
};

// A listening socket on 127.0.0.1 and the one connection being served; further
// connections wait in the listen queue until it closes.
class TcpEndpoint final : public Endpoint {
  public:
    static std::unique_ptr<TcpEndpoint> open(std::uint16_t port, PanelState& state,
                                             const Wakeup& wakeup, std::string& error);
    std::uint16_t port() const { return port_; }

    int pollFd() const override;
    void onReadable(Clock::time_point now) override;
    std::optional<Clock::time_point> deadline() const override;
    void onTimer(Clock::time_point now) override;
    void pressReset(Clock::time_point now) override;
    void finish() override;

  private:
    struct Connection {
        Connection(UniqueFd socket, PanelState& state, const Wakeup& wakeup);
        UniqueFd fd;
        PanelStream stream;
        PanelSession session;
    };

    TcpEndpoint(UniqueFd listener, std::uint16_t port, PanelState& state, const Wakeup& wakeup);
    // Acts on the bytes read so far, then closes the connection when the host closed it
    // or a drop fault asks.
    void serve();

    UniqueFd listener_;
    std::uint16_t port_;
    PanelState& state_;
    const Wakeup& wakeup_;
    std::unique_ptr<Connection> connection_;
};

// A pseudo-terminal: a local serial port, or a modem line when `modem` is set.
class PtyEndpoint final : public Endpoint {
  public:
    static std::unique_ptr<PtyEndpoint> open(bool modem, PanelState& state, const Wakeup& wakeup,
                                             std::string& error);
    const std::string& path() const { return pty_->slavePath(); }

    int pollFd() const override { return pty_->master(); }
    void onReadable(Clock::time_point now) override;
    std::optional<Clock::time_point> deadline() const override;
    void onTimer(Clock::time_point now) override;
    void pressReset(Clock::time_point now) override;
    void finish() override;
    bool failed() const override { return stream_.closed(); }

  private:
    PtyEndpoint(std::unique_ptr<PseudoTerminal> pty, bool modem, PanelState& state,
                const Wakeup& wakeup);
    bool panelOnLine() const { return !modem_ || modem_->online(); }
    // Acts on the bytes read so far.
    void serve();
    void dropIfAsked();

    std::unique_ptr<PseudoTerminal> pty_;
    PanelState& state_;
    PanelStream stream_;
    PanelSession session_;
    std::unique_ptr<HayesModem> modem_;
};

}  // namespace loom::panelsim

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "PanelState.h"
#include "PanelStream.h"
#include "link/LinkMessage.h"

namespace loom::panelsim {

// The panel's side of one connection: it gathers the host's 21-byte frames, acknowledges
// them, carries out each command and sends its own frames, each waiting for the host's
// ACK. While it sends, it reads from the stream itself, one byte at a time: after a frame
// of its own the panel expects one ACK or NAK byte, at any other time a frame.
class PanelSession {
  public:
    // Over TCP and the modem nothing but 0x91, 0x44 and 0xA0 is obeyed before a good
    // login: other frames get NAK, so the host learns at once.
    PanelSession(PanelStream& stream, PanelState& state, bool needsLogin);

    // A connection opened: nothing of an earlier one carries over.
    void begin(Clock::time_point now);
    // The connection ended: the login is forgotten and a changed PROM is saved.
    void end();
    // One byte from the host while the panel is idle; a whole frame is acted on at once.
    void feed(std::uint8_t byte, Clock::time_point now);
    void discardPartial();
    // When onTimer wants to run: a frame that stopped coming, an identity due.
    std::optional<Clock::time_point> deadline() const;
    void onTimer(Clock::time_point now);
    // The panel's reset button: it sends its identity on its own, at once.
    void pressReset(Clock::time_point now);
    // A drop fault wants the connection closed; the owner closes it and calls end().
    bool dropRequested() const { return dropRequested_; }
    bool loggedIn() const { return loggedIn_; }

  private:
    enum class Sent { Acked, GaveUp, HostMovedOn, Failed };

    void handleFrame();
    void act(const LinkMessage& message, const PanelSettings& settings);
    Sent send(std::uint8_t type, std::uint16_t addressWord, const LinkMessage::Data& data);
    void ack();
    void nak();
    void refuse(const std::string& why);
    void note(const std::string& text);
    void sendIdentity(const PanelSettings& settings);
    void readProm(const PanelSettings& settings);
    void readLog(const PanelSettings& settings);
    // True when a drop fault ends the operation here (N blocks are through).
    bool dropDue(const PanelSettings& settings);
    // True when the silent fault stops the operation here (N blocks are through).
    bool silenceDue(const PanelSettings& settings);
    // An operation ended well: a panel that sends its identity unasked does so shortly.
    void finished(const PanelSettings& settings);

    PanelStream& stream_;
    PanelState& state_;
    bool needsLogin_;
    LinkMessage::Frame frame_{};
    std::size_t frameLength_ = 0;
    Clock::time_point lastByte_{};
    // The last frame acted on, while no panel frame has gone out since: the same bytes
    // again are a repetition (the host missed the ACK).
    std::optional<LinkMessage::Frame> lastReceived_;
    bool loggedIn_ = false;
    unsigned blocksInOperation_ = 0;
    std::optional<Clock::time_point> identityDue_;
    bool dropRequested_ = false;
    bool silent_ = false;  // the silent fault holds: write blocks get no answer
};

}  // namespace loom::panelsim

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "PanelSession.h"
#include "PanelState.h"
#include "PanelStream.h"

namespace loom::panelsim {

// A Hayes modem in front of the panel, answering with numeric result codes and never
// echoing: "0\r" (OK) to any AT command, "4\r" (ERROR) to a line without "AT", "1\r"
// (CONNECT) a moment after a dial command ("ATD..."), "3\r" (NO CARRIER) when the panel
// hangs up. In data mode every byte goes to the panel until "+++" followed by a guard
// pause returns to command mode; "ATH" then ends the call, "ATO" goes back on line.
class HayesModem {
  public:
    HayesModem(PanelStream& stream, PanelSession& session, PanelState& state);

    void onByte(std::uint8_t byte, Clock::time_point now);
    std::optional<Clock::time_point> deadline() const;
    void onTimer(Clock::time_point now);
    // The panel hung up (a drop fault): NO CARRIER, command mode, the session ends.
    void dropCarrier();
    bool online() const { return mode_ == Mode::Data; }

  private:
    enum class Mode { Command, Dialing, Data };

    void commandLine(Clock::time_point now);
    void result(char code);
    void hangUp();

    // A line longer than any modem's command buffer is an error, not a growing string.
    static constexpr std::size_t kLineLimit = 256;

    PanelStream& stream_;
    PanelSession& session_;
    PanelState& state_;
    Mode mode_ = Mode::Command;
    bool carrier_ = false;
    std::string line_;
    bool lineTooLong_ = false;
    Clock::time_point connectAt_{};
    int plusCount_ = 0;
    Clock::time_point lastPlus_{};
};

}  // namespace loom::panelsim

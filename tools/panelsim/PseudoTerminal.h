#pragma once

#include <memory>
#include <string>

#include "platform/UniqueFd.h"

namespace loom::panelsim {

// A pseudo-terminal whose slave side plays the serial port the program opens. The slave
// is raw from the start, and one slave descriptor stays open here, so the master sees no
// hang-up while the program closes and reopens the port.
class PseudoTerminal {
  public:
    // Null with `error` when no pseudo-terminal can be made. In packet mode every read of
    // the master starts with a status byte, which reports the program's purges.
    static std::unique_ptr<PseudoTerminal> open(bool packetMode, std::string& error);

    int master() const { return master_.get(); }
    const std::string& slavePath() const { return slavePath_; }
    bool packetMode() const { return packetMode_; }

  private:
    PseudoTerminal() = default;

    UniqueFd master_;
    UniqueFd slave_;
    std::string slavePath_;
    bool packetMode_ = false;
};

}  // namespace loom::panelsim

#pragma once

#include <stdlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/RawPanelWire.h"

namespace loom::test {

// A pseudo-terminal pair standing in for a serial cable: the program opens the slave path
// as its port, the test plays the device on the master side.
class PseudoTerminal {
  public:
    PseudoTerminal() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        char name[128];
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0)
            return;
        slavePath_ = name;
        makeRaw(master_);
    }
    ~PseudoTerminal() { closeMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master_ >= 0 && !slavePath_.empty(); }
    const std::string& slavePath() const { return slavePath_; }

    bool send(const std::vector<std::uint8_t>& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // The next `count` bytes the program wrote; fewer when none come for 5 s.
    std::vector<std::uint8_t> receive(std::size_t count) { return readBytes(master_, count, 5000); }
    // Unplugs the cable.
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

  private:
    int master_;
    std::string slavePath_;
};

}  // namespace loom::test

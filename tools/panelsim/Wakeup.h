#pragma once

#include <atomic>

#include "platform/UniqueFd.h"

namespace loom::panelsim {

// Wakes the simulator's thread. Two pipes that poll() watches beside the endpoints: the
// stop pipe, never emptied, ends every wait for good; the notify pipe wakes only the idle
// loop (a new endpoint, a reset button press), which empties it.
class Wakeup {
  public:
    Wakeup();

    void notify();
    void stop();
    bool stopping() const { return stopping_.load(); }
    int stopFd() const { return stopRead_.get(); }
    int notifyFd() const { return notifyRead_.get(); }
    void drainNotify();

  private:
    UniqueFd stopRead_, stopWrite_;
    UniqueFd notifyRead_, notifyWrite_;
    std::atomic<bool> stopping_{false};
};

}  // namespace loom::panelsim

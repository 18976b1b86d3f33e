#pragma once

#include <chrono>
#include <initializer_list>
#include <mutex>

namespace loom {

// An auto-reset event: set() signals it, and the one wait that sees it signalled resets
// it. It is also a pollable handle, so that a channel can wait for input and for the event
// in one system call and wake on whichever comes first (no polling sleeps).
class WaitableEvent {
  public:
    WaitableEvent();
    ~WaitableEvent();
    WaitableEvent(const WaitableEvent&) = delete;
    WaitableEvent& operator=(const WaitableEvent&) = delete;

    void set();
    void reset();
    // Zero-timeout test: true (and reset) when signalled.
    bool tryWait();
    // True (and reset) when signalled within the timeout; a negative timeout waits
    // without limit.
    bool wait(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));
    // Waits for the first of several events; returns its index (that event reset), or -1
    // on timeout. Earlier events in the list win when several are signalled.
    static int waitAny(std::initializer_list<WaitableEvent*> events,
                       std::chrono::milliseconds timeout);

    // The handle a poll can include: readable while the event is signalled.
    int pollHandle() const { return readEnd_; }

  private:
    std::mutex mutex_;
    bool signalled_ = false;
    int readEnd_ = -1;
    int writeEnd_ = -1;
};

}  // namespace loom

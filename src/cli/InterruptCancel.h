#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace loom {
class UiThread;
}

namespace loom::cli {

// While it lives, Ctrl-C (SIGINT) cancels the running transfer instead of ending the
// process: the signal handler only writes to a pipe, a watcher thread posts `cancel` to
// the user's thread, where the document may be touched. The handler is installed for one
// signal: a second Ctrl-C ends the process as usual, in case the cancel itself hangs.
// Only one may exist at a time.
class InterruptCancel {
  public:
    InterruptCancel(UiThread& ui, std::function<void()> cancel);
    ~InterruptCancel();
    InterruptCancel(const InterruptCancel&) = delete;
    InterruptCancel& operator=(const InterruptCancel&) = delete;

    // A Ctrl-C came.
    bool interrupted() const { return interrupted_.load(); }

  private:
    void watch();

    UiThread& ui_;
    std::function<void()> cancel_;
    int readFd_ = -1;
    int writeFd_ = -1;
    bool installed_ = false;
    std::atomic<bool> interrupted_{false};
    std::thread watcher_;
};

}  // namespace loom::cli

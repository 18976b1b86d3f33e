#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace loom {

// The user's thread as other threads see it: work posted here runs there, in order. The
// program posts into its event loop; the CLI and tests drain a TaskQueue.
class UiThread {
  public:
    virtual ~UiThread() = default;
    virtual void post(std::function<void()> task) = 0;
    virtual bool isCurrent() const = 0;
    // Runs the work posted so far, without waiting for more, where the thread can. A
    // user's thread that must wait for the worker calls it meanwhile, so that a question
    // the worker asks is answered instead of waiting forever. Every user's thread must
    // provide it: one that cannot would deadlock a document closed during a question.
    virtual void runPending() = 0;
};

// A queue drained by the thread that created it.
class TaskQueue final : public UiThread {
  public:
    TaskQueue() : owner_(std::this_thread::get_id()) {}
    void post(std::function<void()> task) override;
    bool isCurrent() const override { return std::this_thread::get_id() == owner_; }
    void runPending() override { runFor(std::chrono::milliseconds(0)); }
    // Runs every queued task; then, when none ran, waits up to `timeout` for one and runs
    // what came. Returns how many ran.
    int runFor(std::chrono::milliseconds timeout);
    // Runs tasks until `done` returns true (checked after each task).
    void runUntil(const std::function<bool()>& done);

  private:
    std::thread::id owner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace loom

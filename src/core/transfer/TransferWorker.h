#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "common/Messages.h"
#include "transfer/TransferOutcome.h"

namespace loom {

class AppContext;
class PromImage;
struct TransferJob;

// The document's worker thread: waits for the job's start event, runs one PROM write,
// PROM read or log read over the context's link, reports through the job's receiver, and
// waits again; the quit event (with start) ends it. Never touches the document.
class TransferWorker {
  public:
    // A log longer than this many blocks is not taken: no panel holds one, and a link
    // that keeps sending must not fill the memory.
    static constexpr std::size_t kMaxLogBlocks = 65536;

    TransferWorker(AppContext& context, TransferJob& job);
    // Joins the thread; the owner must have set quit and start before.
    ~TransferWorker();
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    void start();
    bool started() const { return thread_.joinable(); }

    // One operation on the calling thread, as the loop runs it: the job's read or write
    // with the panel's silence reported, and why it failed.
    TransferOutcome run();
    // The operations themselves; the result, 0 = failed.
    int runWrite();
    int runRead();

  private:
    void loop();
    bool identifyForRead(bool logRead);
    int readProm();
    int readLog();
    bool program(const PromImage& image);

    void begun();
    void progress(std::int64_t percent);
    void status(MessageId text);
    void waiting(int seconds);

    AppContext& context_;
    TransferJob& job_;
    std::thread thread_;
    // What the worker itself decided about a failure (the link records the rest).
    TransferFailure failure_ = TransferFailure::None;
    bool promTouched_ = false;
};

}  // namespace loom

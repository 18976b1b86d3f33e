#pragma once

#include <memory>
#include <string>
#include <utility>

#include "transfer/TransferReceiver.h"
#include "transfer/UiThread.h"

namespace loom {

// The worker's side of the notifications: every call is posted to the user's thread and
// handed to the target there, with the text or block it carries. A task that never runs
// frees what it carries. Once detached (the target is going away), tasks still queued or
// posted later are dropped.
class QueuedReceiver final : public TransferReceiver {
  public:
    QueuedReceiver(UiThread& ui, TransferReceiver& target)
        : ui_(ui), target_(std::make_shared<Target>(Target{&target})) {}
    ~QueuedReceiver() override { detach(); }
    QueuedReceiver(const QueuedReceiver&) = delete;
    QueuedReceiver& operator=(const QueuedReceiver&) = delete;

    // On the user's thread: no call reaches the target from now on.
    void detach() { target_->receiver = nullptr; }

    void transferBegun() override {
        post([](TransferReceiver& r) { r.transferBegun(); });
    }
    void transferDone(const TransferOutcome& outcome) override {
        post([outcome](TransferReceiver& r) { r.transferDone(outcome); });
    }
    void panelIdentity(bool logRead, std::unique_ptr<std::string> identity) override {
        auto held = std::make_shared<std::unique_ptr<std::string>>(std::move(identity));
        post([logRead, held](TransferReceiver& r) { r.panelIdentity(logRead, std::move(*held)); });
    }
    void blockReceived(std::unique_ptr<ReceivedBlock> block) override {
        auto held = std::make_shared<std::unique_ptr<ReceivedBlock>>(std::move(block));
        post([held](TransferReceiver& r) { r.blockReceived(std::move(*held)); });
    }
    void progress(int percent) override {
        post([percent](TransferReceiver& r) { r.progress(percent); });
    }
    void statusText(std::unique_ptr<std::string> text) override {
        auto held = std::make_shared<std::unique_ptr<std::string>>(std::move(text));
        post([held](TransferReceiver& r) { r.statusText(std::move(*held)); });
    }
    void waiting(int seconds) override {
        post([seconds](TransferReceiver& r) { r.waiting(seconds); });
    }

  private:
    // Read and cleared on the user's thread only, so it needs no lock.
    struct Target {
        TransferReceiver* receiver = nullptr;
    };

    template <class F>
    void post(F call) {
        ui_.post([target = target_, call = std::move(call)] {
            if (target->receiver != nullptr) call(*target->receiver);
        });
    }

    UiThread& ui_;
    std::shared_ptr<Target> target_;
};

}  // namespace loom

#include "transfer/MarshalledPrompt.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "transfer/UiThread.h"

namespace loom {
namespace {

Answer unanswered(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

// One call waiting for the user's thread. The last copy of the posted task answers it
// with `fallback` if the task was dropped without running, so the caller never waits
// for a box nobody will show.
class PendingCall {
  public:
    explicit PendingCall(Answer fallback) : fallback_(fallback) {}

    void answer(Answer a) {
        {
            std::lock_guard lock(mutex_);
            if (done_) return;
            answer_ = a;
            done_ = true;
        }
        wake_.notify_all();
    }
    Answer wait() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return done_; });
        return answer_;
    }
    Answer fallback() const { return fallback_; }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    Answer answer_ = Answer::Cancel;
    Answer fallback_;
};

class DropGuard {
  public:
    explicit DropGuard(std::shared_ptr<PendingCall> pending) : call(std::move(pending)) {}
    ~DropGuard() { call->answer(call->fallback()); }
    DropGuard(const DropGuard&) = delete;
    DropGuard& operator=(const DropGuard&) = delete;

    std::shared_ptr<PendingCall> call;
};

Answer runOnUiThread(UiThread& ui, Buttons buttons, std::function<Answer()> work) {
    auto call = std::make_shared<PendingCall>(unanswered(buttons));
    auto guard = std::make_shared<DropGuard>(call);
    ui.post([guard, work = std::move(work)] { guard->call->answer(work()); });
    guard.reset();
    return call->wait();
}

}  // namespace

void MarshalledPrompt::show(std::string_view text, MessageKind kind) {
    if (ui_.isCurrent()) {
        inner_.show(text, kind);
        return;
    }
    runOnUiThread(ui_, Buttons::Ok, [this, text = std::string(text), kind] {
        inner_.show(text, kind);
        return Answer::Ok;
    });
}

Answer MarshalledPrompt::ask(std::string_view text, Buttons buttons, MessageKind kind) {
    if (ui_.isCurrent()) return inner_.ask(text, buttons, kind);
    return runOnUiThread(ui_, buttons, [this, text = std::string(text), buttons, kind] {
        return inner_.ask(text, buttons, kind);
    });
}

void MarshalledPrompt::beep() {
    if (ui_.isCurrent()) {
        inner_.beep();
        return;
    }
    ui_.post([this] { inner_.beep(); });
}

}  // namespace loom

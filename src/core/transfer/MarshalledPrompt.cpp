#include "transfer/MarshalledPrompt.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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

// The options with their own copy of the title, for the trip to the user's thread.
struct OwnedOptions {
    explicit OwnedOptions(const PromptOptions& o)
        : id(o.id), defaultAnswer(o.defaultAnswer), title(o.title) {}
    PromptOptions view() const { return PromptOptions{id, defaultAnswer, title}; }

    std::optional<MessageId> id;
    std::optional<Answer> defaultAnswer;
    std::string title;
};

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

void MarshalledPrompt::showWith(std::string_view text, MessageKind kind,
                                const PromptOptions& options) {
    if (ui_.isCurrent()) {
        inner_.showWith(text, kind, options);
        return;
    }
    runOnUiThread(ui_, Buttons::Ok,
                  [this, text = std::string(text), kind, owned = OwnedOptions(options)] {
                      inner_.showWith(text, kind, owned.view());
                      return Answer::Ok;
                  });
}

Answer MarshalledPrompt::askWith(std::string_view text, Buttons buttons, MessageKind kind,
                                 const PromptOptions& options) {
    if (ui_.isCurrent()) return inner_.askWith(text, buttons, kind, options);
    return runOnUiThread(
        ui_, buttons,
        [this, text = std::string(text), buttons, kind, owned = OwnedOptions(options)] {
            return inner_.askWith(text, buttons, kind, owned.view());
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

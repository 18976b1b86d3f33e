#pragma once

#include <string_view>

#include "platform/UserPrompt.h"

namespace loom {

class UiThread;

// A prompt that any thread may use while the boxes belong to the user's thread: there it
// calls the wrapped prompt directly; from another thread (the transfer worker) it posts
// the call to the user's thread and waits for the answer, so that the worker goes on
// only once the user has seen the message. A posted call that is dropped unrun answers
// as nobody would: Cancel, No, or OK for a message.
class MarshalledPrompt final : public UserPrompt {
  public:
    MarshalledPrompt(UserPrompt& inner, UiThread& ui) : inner_(inner), ui_(ui) {}

    void show(std::string_view text, MessageKind kind) override;
    Answer ask(std::string_view text, Buttons buttons, MessageKind kind) override;
    void showWith(std::string_view text, MessageKind kind, const PromptOptions& options) override;
    Answer askWith(std::string_view text, Buttons buttons, MessageKind kind,
                   const PromptOptions& options) override;
    void beep() override;
    using UserPrompt::ask;
    using UserPrompt::show;

  private:
    UserPrompt& inner_;
    UiThread& ui_;
};

}  // namespace loom

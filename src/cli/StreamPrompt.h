#pragma once

#include <ostream>
#include <string_view>

#include "common/Cp1252.h"
#include "platform/UserPrompt.h"

namespace loom::cli {

// The CLI's prompt: every message goes to a stream (stderr) as one UTF-8 line per text,
// and no question is ever answered with "go ahead", since nobody is there to mean it.
class StreamPrompt final : public UserPrompt {
  public:
    explicit StreamPrompt(std::ostream& out) : out_(out) {}

    void show(std::string_view text, MessageKind) override {
        out_ << cp1252ToUtf8(text) << '\n';
        ++shown_;
    }
    Answer ask(std::string_view text, Buttons buttons, MessageKind kind) override {
        show(text, kind);
        return silent_.ask(text, buttons, kind);
    }
    using UserPrompt::show;

    int shown() const { return shown_; }

  private:
    std::ostream& out_;
    SilentPrompt silent_;
    int shown_ = 0;
};

}  // namespace loom::cli

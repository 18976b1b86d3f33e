#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/UserPrompt.h"

namespace loom {

// Message boxes for the core's prompt: the icon of each kind, Swedish button texts, the
// message's own title or else the program's, and the message's default button. Called on the user's
// thread only (the worker's questions arrive through MarshalledPrompt).
class QtPrompt final : public UserPrompt {
  public:
    void setParent(QWidget* parent) { parent_ = parent; }
    // Nobody to ask (a screenshot run): messages go to stderr, questions get the answer of
    // nobody (Cancel, No).
    void setUnattended(bool on) { unattended_ = on; }
    // Every message and question goes to `standIn` instead of a box (tests script them).
    void setStandIn(UserPrompt* standIn) { standIn_ = standIn; }

    void show(std::string_view text, MessageKind kind) override;
    Answer ask(std::string_view text, Buttons buttons, MessageKind kind) override;
    void showWith(std::string_view text, MessageKind kind, const PromptOptions& options) override;
    Answer askWith(std::string_view text, Buttons buttons, MessageKind kind,
                   const PromptOptions& options) override;
    void beep() override;
    using UserPrompt::ask;
    using UserPrompt::show;

  private:
    QPointer<QWidget> parent_;
    bool unattended_ = false;
    UserPrompt* standIn_ = nullptr;
};

}  // namespace loom

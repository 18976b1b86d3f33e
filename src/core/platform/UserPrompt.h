#pragma once

#include <initializer_list>
#include <string_view>

#include "common/Messages.h"

namespace loom {

enum class MessageKind { Information, Warning, Stop, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// The one way core code talks to the user: message boxes and questions. The GUI shows
// real boxes (marshalled to its thread), the CLI prints, tests script the answers.
// Texts are code page 1252.
class UserPrompt {
  public:
    virtual ~UserPrompt() = default;

    virtual void show(std::string_view text, MessageKind kind) = 0;
    virtual Answer ask(std::string_view text, Buttons buttons, MessageKind kind) = 0;
    // The warning beep of a refused keystroke.
    virtual void beep() {}

    void show(MessageId id, std::initializer_list<MessageArg> args = {},
              MessageKind kind = MessageKind::Warning) {
        show(formatMessage(id, args), kind);
    }
};

// Says nothing and answers every question with its first button's "no"-like choice:
// Cancel, No. For callers that must not talk to anybody (index rebuilds in tests...).
class SilentPrompt final : public UserPrompt {
  public:
    void show(std::string_view, MessageKind) override {}
    Answer ask(std::string_view, Buttons buttons, MessageKind) override {
        return buttons == Buttons::Ok                                           ? Answer::Ok
               : (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Answer::No
                                                                                : Answer::Cancel;
    }
};

}  // namespace loom

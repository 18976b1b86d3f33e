#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>

#include "common/Messages.h"

namespace loom {

enum class MessageKind { Information, Warning, Stop, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// What a box needs beyond its text, buttons and icon.
struct PromptOptions {
    // The catalogue message the text was made from, when it was.
    std::optional<MessageId> id;
    // The default button; none: the first one.
    std::optional<Answer> defaultAnswer;
    // The box's title; empty: the program's name.
    std::string_view title;
};

// The one way core code talks to the user: message boxes and questions. The GUI shows
// real boxes (marshalled to its thread), the CLI prints, tests script the answers.
// Texts are code page 1252.
class UserPrompt {
  public:
    virtual ~UserPrompt() = default;

    virtual void show(std::string_view text, MessageKind kind) = 0;
    virtual Answer ask(std::string_view text, Buttons buttons, MessageKind kind) = 0;
    // The same with the box's options. A prompt that cannot honour them (a terminal)
    // keeps these defaults, which drop them.
    virtual void showWith(std::string_view text, MessageKind kind, const PromptOptions&) {
        show(text, kind);
    }
    virtual Answer askWith(std::string_view text, Buttons buttons, MessageKind kind,
                           const PromptOptions&) {
        return ask(text, buttons, kind);
    }
    // The warning beep of a refused keystroke.
    virtual void beep() {}

    // A catalogue message: its title and default button come from the catalogue, and
    // its number goes with the text.
    void show(MessageId id, std::initializer_list<MessageArg> args = {},
              MessageKind kind = MessageKind::Warning) {
        showWith(formatMessage(id, args), kind, optionsOf(id));
    }
    Answer ask(MessageId id, Buttons buttons, MessageKind kind = MessageKind::Question,
               std::initializer_list<MessageArg> args = {}) {
        return askWith(formatMessage(id, args), buttons, kind, optionsOf(id));
    }
    static PromptOptions optionsOf(MessageId id) {
        const MessageStyle style = messageStyle(id);
        return PromptOptions{id, style.noByDefault ? std::optional(Answer::No) : std::nullopt,
                             style.title};
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

#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "platform/UserPrompt.h"

namespace loom::test {

// Records every message and question in UTF-8 with its options; answers from `answers`
// (an unscripted question counts in `unexpected`).
class RecordingPrompt : public UserPrompt {
  public:
    struct Entry {
        std::string text;  // UTF-8
        MessageKind kind;
        bool question;
        std::optional<MessageId> id;
        std::optional<Answer> defaultAnswer;
        std::string title;  // UTF-8
    };

    void show(std::string_view text, MessageKind kind) override { showWith(text, kind, {}); }
    Answer ask(std::string_view text, Buttons buttons, MessageKind kind) override {
        return askWith(text, buttons, kind, {});
    }
    void showWith(std::string_view text, MessageKind kind, const PromptOptions& options) override {
        record(text, kind, false, options);
    }
    Answer askWith(std::string_view text, Buttons, MessageKind kind,
                   const PromptOptions& options) override {
        record(text, kind, true, options);
        if (answers.empty()) return ++unexpected, Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void beep() override { ++beeps; }
    using UserPrompt::ask;
    using UserPrompt::show;

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& e : entries)
            out.push_back(e.text);
        return out;
    }

    std::vector<Entry> entries;
    std::deque<Answer> answers;
    int beeps = 0;
    int unexpected = 0;

  private:
    void record(std::string_view text, MessageKind kind, bool question, const PromptOptions& o) {
        entries.push_back(
            {cp1252ToUtf8(text), kind, question, o.id, o.defaultAnswer, cp1252ToUtf8(o.title)});
    }
};

}  // namespace loom::test

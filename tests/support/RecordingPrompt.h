#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "platform/UserPrompt.h"

namespace loom::test {

// Records every message and question (as UTF-8, for readable assertions) with the box's
// options, and answers questions from a script; an unscripted question fails the test
// through `unexpected`.
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
        if (answers.empty()) {
            ++unexpected;
            return Answer::Cancel;
        }
        Answer a = answers.front();
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
    void record(std::string_view text, MessageKind kind, bool question,
                const PromptOptions& options) {
        entries.push_back(Entry{cp1252ToUtf8(text), kind, question, options.id,
                                options.defaultAnswer, cp1252ToUtf8(options.title)});
    }
};

}  // namespace loom::test

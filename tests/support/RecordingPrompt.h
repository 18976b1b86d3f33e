#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "platform/UserPrompt.h"

namespace loom::test {

// Records every message and question (as UTF-8, for readable assertions) and answers
// questions from a script; an unscripted question fails the test through `unexpected`.
class RecordingPrompt : public UserPrompt {
  public:
    struct Entry {
        std::string text;  // UTF-8
        MessageKind kind;
        bool question;
    };

    void show(std::string_view text, MessageKind kind) override {
        entries.push_back({cp1252ToUtf8(text), kind, false});
    }
    Answer ask(std::string_view text, Buttons, MessageKind kind) override {
        entries.push_back({cp1252ToUtf8(text), kind, true});
        if (answers.empty()) {
            ++unexpected;
            return Answer::Cancel;
        }
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void beep() override { ++beeps; }

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
};

}  // namespace loom::test

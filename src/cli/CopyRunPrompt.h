#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "common/Cp1252.h"
#include "platform/UserPrompt.h"

namespace loom::cli {

// What export does when a file cannot be copied: try again, skip the file, or skip it
// and every file after it.
enum class OnCopyError { Retry, Skip, SkipAll };

// The prompt of an export or import run: warnings and questions go to stderr as they
// come, each question with the answer given for the user; reports (the counts) are kept
// for the command to print after its lists. Retrying is bounded, since nobody is there to
// give up.
class CopyRunPrompt final : public UserPrompt {
  public:
    static constexpr int kAttempts = 3;

    CopyRunPrompt(std::ostream& err, OnCopyError onError) : err_(err), onError_(onError) {}

    void show(std::string_view text, MessageKind kind) override {
        if (kind == MessageKind::Information) {
            reports_.push_back(cp1252ToUtf8(text));
        } else {
            err_ << cp1252ToUtf8(text) << '\n';
        }
    }
    Answer ask(std::string_view text, Buttons buttons, MessageKind) override {
        err_ << cp1252ToUtf8(text) << '\n';
        if (buttons != Buttons::YesNoCancel) {
            err_ << "-> no\n";
            return Answer::No;
        }
        switch (onError_) {
            case OnCopyError::Retry:
                if (++retries_ < kAttempts) {
                    err_ << "-> retry\n";
                    return Answer::Yes;
                }
                err_ << "-> skip\n";
                return Answer::No;
            case OnCopyError::Skip:
                err_ << "-> skip\n";
                return Answer::No;
            case OnCopyError::SkipAll:
                break;
        }
        err_ << "-> skip all\n";
        return Answer::Cancel;
    }
    using UserPrompt::show;

    // Each file gets its own attempts.
    void nextFile() { retries_ = 0; }
    const std::vector<std::string>& reports() const { return reports_; }

  private:
    std::ostream& err_;
    OnCopyError onError_;
    int retries_ = 0;
    std::vector<std::string> reports_;
};

}  // namespace loom::cli

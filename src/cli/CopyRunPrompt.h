#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "IndexLineText.h"
#include "common/Cp1252.h"
#include "common/Messages.h"
#include "platform/UserPrompt.h"

namespace loom::cli {

// What export does when a file cannot be copied: try again, skip the file, or skip it
// and every file after it.
enum class OnCopyError { Retry, Skip, SkipAll };

// The prompt of an export or import run: warnings go to stderr as they come; the copy
// error's question is answered by --on-error and shown as one line saying which file,
// why, and what was done; reports (the counts) are kept for the command to print after
// its lists. Retrying is bounded, since nobody is there to give up. On a terminal a
// progress line on stderr shows which file the run is at.
class CopyRunPrompt final : public UserPrompt {
  public:
    static constexpr int kAttempts = 3;

    // `verb` leads the progress line ("Exporterar"), which is drawn only on a terminal.
    CopyRunPrompt(std::ostream& err, OnCopyError onError, std::string verb, bool terminal)
        : err_(err), onError_(onError), verb_(std::move(verb)), terminal_(terminal) {}

    void show(std::string_view text, MessageKind kind) override {
        if (kind == MessageKind::Information) {
            reports_.push_back(cp1252ToUtf8(text));
            return;
        }
        endProgress();
        err_ << cp1252ToUtf8(text) << '\n';
    }
    Answer ask(std::string_view text, Buttons buttons, MessageKind) override {
        endProgress();
        const std::string_view retry = messageText(MessageId::RetryCopy);
        if (buttons == Buttons::YesNoCancel && text.size() > retry.size() && text.ends_with(retry))
            return answerCopyError(text.substr(0, text.size() - retry.size()));
        err_ << cp1252ToUtf8(text) << "\n-> nej\n";
        return Answer::No;
    }
    using UserPrompt::show;

    // Before each file (`name` in code page 1252): it gets its own attempts, and the
    // progress line names it.
    void nextFile(std::string_view name, std::size_t index, std::size_t count) {
        retries_ = 0;
        file_ = plainIndexLine(name);
        if (!terminal_) return;
        err_ << "\r\033[K" << verb_ << ' ' << index + 1 << " av " << count << ": " << file_
             << std::flush;
        drawn_ = true;
    }
    // Takes the progress line away.
    void endProgress() {
        if (!drawn_) return;
        err_ << "\r\033[K" << std::flush;
        drawn_ = false;
    }
    const std::vector<std::string>& reports() const { return reports_; }

  private:
    Answer answerCopyError(std::string_view reason) {
        std::string why = cp1252ToUtf8(reason);
        while (!why.empty() && (why.back() == '\n' || why.back() == ' '))
            why.pop_back();
        if (!why.empty() && why.back() != '.') why += '.';
        err_ << file_ << " kunde inte kopieras: " << why << ' ';
        switch (onError_) {
            case OnCopyError::Retry:
                if (++retries_ < kAttempts) {
                    err_ << "Försöker igen (försök " << retries_ + 1 << " av " << kAttempts
                         << ").\n";
                    return Answer::Yes;
                }
                err_ << "Filen hoppas över efter " << kAttempts << " försök.\n";
                return Answer::No;
            case OnCopyError::Skip:
                err_ << "Filen hoppas över.\n";
                return Answer::No;
            case OnCopyError::SkipAll:
                break;
        }
        err_ << "Filen och alla följande filer hoppas över.\n";
        return Answer::Cancel;
    }

    std::ostream& err_;
    OnCopyError onError_;
    std::string verb_;
    bool terminal_;
    bool drawn_ = false;
    int retries_ = 0;
    std::string file_;  // UTF-8, escaped
    std::vector<std::string> reports_;
};

}  // namespace loom::cli

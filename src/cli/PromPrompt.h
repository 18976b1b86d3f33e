#pragma once

#include <ostream>
#include <string_view>

#include "ProgressPrinter.h"
#include "platform/UserPrompt.h"

namespace loom::cli {

// The answers a PROM command gives on the user's behalf.
struct PromAnswers {
    bool writeConfirmed = false;  // --yes
    bool convert = false;         // --convert
    bool askTerminal = false;     // the write question may be asked at the terminal
};

// The prompt of a PROM command: every text goes to stderr (taking the progress bar off
// its line first), each question followed by the answer given, except a read's outcome,
// which is the command's result and goes to stdout from the command. The write question
// is answered by --yes or at the terminal, the model conversion by --convert; the offer
// to save first is declined (the file was just opened), and every other question (retry a
// connection, cancel) gets its "no", since nobody is there to mean "go ahead".
class PromPrompt final : public UserPrompt {
  public:
    PromPrompt(std::ostream& err, ProgressPrinter& progress, PromAnswers answers)
        : err_(err), progress_(progress), answers_(answers) {}

    void show(std::string_view text, MessageKind kind) override;
    Answer ask(std::string_view text, Buttons buttons, MessageKind kind) override;
    using UserPrompt::show;

    // The write question was asked and refused without anybody at the terminal.
    bool writeRefusedUnattended() const { return writeRefusedUnattended_; }

    // Whether `text` is message `id` with any arguments in its placeholders.
    static bool isMessage(std::string_view text, MessageId id);
    // The outcome of a PROM read that completed: message 80, 81 or 82, or the empty PROM.
    static bool isReadOutcome(MessageId id);

  private:
    Answer answer(Answer a);

    std::ostream& err_;
    ProgressPrinter& progress_;
    PromAnswers answers_;
    bool writeRefusedUnattended_ = false;
};

}  // namespace loom::cli

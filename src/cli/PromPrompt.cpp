#include "PromPrompt.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "TerminalInput.h"
#include "common/Cp1252.h"

namespace loom::cli {
namespace {

constexpr MessageId kReadOutcomes[] = {MessageId::ReadDoneNoFile, MessageId::ReadDoneIdentical,
                                       MessageId::ReadDoneDiffers, MessageId::PromEmpty};

bool typedYes(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text == "j" || text == "ja" || text == "y" || text == "yes";
}

}  // namespace

bool PromPrompt::isMessage(std::string_view text, MessageId id) {
    // The fixed text before the first placeholder and after the last one.
    const std::string_view pattern = messageText(id);
    const std::size_t first = pattern.find('%');
    if (first == std::string_view::npos) return text == pattern;
    const std::size_t last = pattern.rfind('%');
    const std::string_view head = pattern.substr(0, first);
    const std::string_view tail = pattern.substr(std::min(last + 2, pattern.size()));
    return text.size() >= head.size() + tail.size() && text.starts_with(head) &&
           text.ends_with(tail);
}

bool PromPrompt::isReadOutcome(MessageId id) {
    return std::find(std::begin(kReadOutcomes), std::end(kReadOutcomes), id) !=
           std::end(kReadOutcomes);
}

void PromPrompt::show(std::string_view text, MessageKind) {
    for (const MessageId outcome : kReadOutcomes)
        if (isMessage(text, outcome)) return;
    progress_.interrupt();
    err_ << cp1252ToUtf8(text) << '\n';
}

Answer PromPrompt::ask(std::string_view text, Buttons buttons, MessageKind kind) {
    show(text, kind);
    if (isMessage(text, MessageId::ConfirmWriteProm)) {
        if (answers_.writeConfirmed) return answer(Answer::Yes);
        if (answers_.askTerminal) {
            const std::optional<std::string> typed = readLine("Ja eller nej (j/n) [n]: ", false);
            return typed && typedYes(*typed) ? Answer::Yes : Answer::No;
        }
        writeRefusedUnattended_ = true;
        return answer(Answer::No);
    }
    if (isMessage(text, MessageId::ConvertQuestion)) {
        if (answers_.convert) return answer(Answer::Yes);
        answer(Answer::No);
        err_ << "Data konverteras bara med --convert, som godkänner konverteringen.\n";
        return Answer::No;
    }
    const Answer fallback = SilentPrompt().ask(text, buttons, kind);
    return answer(fallback);
}

Answer PromPrompt::answer(Answer a) {
    switch (a) {
        case Answer::Yes:
            err_ << "-> ja\n";
            break;
        case Answer::No:
            err_ << "-> nej\n";
            break;
        case Answer::Cancel:
            err_ << "-> avbryt\n";
            break;
        case Answer::Ok:
        case Answer::Retry:
            break;
    }
    return a;
}

}  // namespace loom::cli

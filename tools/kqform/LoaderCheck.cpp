#include "LoaderCheck.h"

#include <string_view>

#include "common/Cp1252.h"
#include "platform/UserPrompt.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TreeSink.h"

namespace loom::kqform {
namespace {

// Keeps what the loader would show, for one error line.
class CapturingPrompt final : public UserPrompt {
  public:
    void show(std::string_view text, MessageKind) override {
        std::string line = cp1252ToUtf8(text);
        for (char& c : line) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        if (!messages.empty()) messages += " / ";
        messages += line;
    }
    Answer ask(std::string_view text, Buttons buttons, MessageKind kind) override {
        show(text, kind);
        return buttons == Buttons::Ok                                           ? Answer::Ok
               : (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Answer::No
                                                                                : Answer::Cancel;
    }
    std::string messages;
};

}  // namespace

std::optional<std::string> loaderRefusal(std::span<const std::uint8_t> bytes,
                                         const std::string& displayName) {
    NullTreeSink tree;
    EventTexts events;
    FormRules rules;
    CapturingPrompt prompt;
    ParserEnvironment env{tree, events, rules, prompt, DialogUnits{}, nullptr, std::string()};
    bool noErase = false;
    Parser parser;
    if (parser.LoadFromMemory(bytes, displayName, env, noErase)) return std::nullopt;
    if (prompt.messages.empty()) return std::string("refused");
    return std::move(prompt.messages);
}

}  // namespace loom::kqform

// Feeds arbitrary bytes to the whole template load: whatever the bytes, the parser must
// either build a form or refuse with its messages, never crash, leak or leave the rule
// set pointing into a form that was thrown away.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fields/FieldStore.h"
#include "platform/UserPrompt.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TreeSink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    loom::NullTreeSink tree;
    loom::EventTexts events;
    loom::FormRules rules;
    loom::SilentPrompt prompt;
    loom::ParserEnvironment env{tree, events, rules, prompt, loom::DialogUnits{}, nullptr, {}};
    bool noErase = false;
    loom::Parser parser;
    auto form =
        parser.LoadFromMemory(std::span<const std::uint8_t>(data, size), "fuzz.FRM", env, noErase);
    if (!form) {
        if (!rules.rules().empty()) std::abort();
        return 0;
    }
    // Walk what was built: every page's values out and compared.
    loom::FieldStore values;
    for (int i = 0; i < form->pageCount(); ++i) {
        form->storePage(i, values);
        if (form->pageDiffers(i, values, form->store())) std::abort();
        form->setPage(i, values);
    }
    return 0;
}

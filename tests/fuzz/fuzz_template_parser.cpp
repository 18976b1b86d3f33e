// A template file to the program's template load (a refusal leaves no rule pointing into
// the form thrown away) and to the template tool's round trip.
#include <cstdint>
#include <span>

#include "fields/FieldStore.h"
#include "platform/UserPrompt.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TreeSink.h"

#include "FuzzHome.h"

namespace {

void load(std::span<const std::uint8_t> bytes) {
    loom::NullTreeSink tree;
    loom::EventTexts events;
    loom::FormRules rules;
    loom::SilentPrompt prompt;
    loom::ParserEnvironment env{tree, events, rules, prompt, loom::DialogUnits{}, nullptr, {}};
    bool noErase = false;
    auto form = loom::Parser().LoadFromMemory(bytes, "fuzz.FRM", env, noErase);
    if (!form) {
        loom::fuzz::check(rules.rules().empty());
        return;
    }
    loom::FieldStore values;  // every page's values out and compared
    for (int i = 0; i < form->pageCount(); ++i) {
        form->storePage(i, values);
        loom::fuzz::check(!form->pageDiffers(i, values, form->store()));
        form->setPage(i, values);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    load(bytes);
    loom::fuzz::roundTrips(bytes);
    return 0;
}

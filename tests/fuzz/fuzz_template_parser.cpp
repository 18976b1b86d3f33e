// Feeds arbitrary bytes as a template file to the program's template load and to the
// template tool's decompiler. The load builds a form or refuses with its messages (never
// leaving the rule set pointing into a form thrown away); what the decompiler accepts must
// compile back to exactly the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "Decompiler.h"
#include "SourceCompiler.h"
#include "SourceError.h"
#include "fields/FieldStore.h"
#include "platform/UserPrompt.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TreeSink.h"

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
        if (!rules.rules().empty()) std::abort();
        return;
    }
    loom::FieldStore values;  // every page's values out and compared
    for (int i = 0; i < form->pageCount(); ++i) {
        form->storePage(i, values);
        if (form->pageDiffers(i, values, form->store())) std::abort();
        form->setPage(i, values);
    }
}

void decompile(std::span<const std::uint8_t> bytes) {
    std::string source;
    try {
        source = loom::kqform::Decompiler::decompile(bytes);
    } catch (const loom::kqform::TemplateRefused&) {
        return;
    }
    try {
        auto again = loom::kqform::SourceCompiler::compile(source);
        if (std::equal(again.begin(), again.end(), bytes.begin(), bytes.end())) return;
        std::fprintf(stderr, "round trip changed the bytes:\n%s", source.c_str());
    } catch (const loom::kqform::SourceError& e) {
        std::fprintf(stderr, "decompiled source does not compile: %d: %s\n%s", e.line(), e.what(),
                     source.c_str());
    }
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    load(bytes);
    decompile(bytes);
    return 0;
}

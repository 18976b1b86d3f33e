// Feeds arbitrary bytes to the decompiler. Refusing them is always fine; whatever it accepts
// must decompile to a source that compiles back to exactly the same bytes.
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    std::string source;
    try {
        source = loom::kqform::Decompiler::decompile(bytes);
    } catch (const loom::kqform::TemplateRefused&) {
        return 0;
    }
    try {
        auto again = loom::kqform::SourceCompiler::compile(source);
        if (!std::equal(again.begin(), again.end(), bytes.begin(), bytes.end())) {
            std::fprintf(stderr, "round trip changed the bytes:\n%s", source.c_str());
            std::abort();
        }
    } catch (const loom::kqform::SourceError& e) {
        std::fprintf(stderr, "decompiled source does not compile: %d: %s\n%s", e.line(), e.what(),
                     source.c_str());
        std::abort();
    }
    return 0;
}

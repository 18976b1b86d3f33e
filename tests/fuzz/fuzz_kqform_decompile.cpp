// Feeds arbitrary bytes to the decompiler. Whatever the scanner accepts must decompile to a
// source that compiles back to exactly the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Decompiler.h"
#include "SourceCompiler.h"
#include "SourceError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    std::string source;
    try {
        source = loom::kqform::Decompiler::decompile(bytes);
    } catch (const loom::TemplateScanError&) {
        return 0;
    }
    try {
        auto again = loom::kqform::SourceCompiler::compile(source);
        if (!std::equal(again.begin(), again.end(), bytes.begin(), bytes.end())) std::abort();
    } catch (const loom::kqform::SourceError&) {
        std::abort();
    }
    return 0;
}

// Feeds arbitrary text to the template source compiler. A source it accepts must give a
// template that decompiles and compiles back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Decompiler.h"
#include "SourceCompiler.h"
#include "SourceError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view source(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = loom::kqform::SourceCompiler::compile(source);
    } catch (const loom::kqform::SourceError&) {
        return 0;
    }
    // Throws (and so fails the run) if the compiler wrote something the scanner refuses.
    auto again = loom::kqform::SourceCompiler::compile(loom::kqform::Decompiler::decompile(bytes));
    if (again != bytes) std::abort();
    return 0;
}

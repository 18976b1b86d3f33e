// Template source to the compiler: what it accepts decompiles and compiles back the same.
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "FuzzHome.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = loom::kqform::SourceCompiler::compile({reinterpret_cast<const char*>(data), size});
    } catch (const loom::kqform::SourceError&) {
        return 0;
    }
    if (loom::fuzz::roundTrips(bytes)) return 0;
    std::fprintf(stderr, "compiled template does not decompile\n");
    std::abort();
}

// Feeds arbitrary text to the template source compiler. Refusing a source is always fine;
// a source it accepts must give a template that decompiles, and compiling that source must
// give back the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Decompiler.h"
#include "SourceCompiler.h"
#include "SourceError.h"

namespace {

[[noreturn]] void broken(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view source(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = loom::kqform::SourceCompiler::compile(source);
    } catch (const loom::kqform::SourceError&) {
        return 0;
    }
    std::string again;
    try {
        again = loom::kqform::Decompiler::decompile(bytes);
    } catch (const loom::kqform::TemplateRefused& e) {
        broken("compiled template does not decompile", e.what());
    } catch (const loom::TemplateScanError& e) {
        broken("compiled template does not scan", e.detail());
    }
    std::vector<std::uint8_t> recompiled;
    try {
        recompiled = loom::kqform::SourceCompiler::compile(again);
    } catch (const loom::kqform::SourceError& e) {
        broken("decompiled source does not compile", std::to_string(e.line()) + ": " + e.what());
    }
    if (recompiled != bytes) broken("round trip changed the bytes", again);
    return 0;
}

#pragma once

#include <string>
#include <string_view>

#include "CliText.h"
#include "common/Cp1252.h"

namespace loom::cli {

// An index line or key (code page 1252) for plain output, in UTF-8: a damaged or planted
// index must not reach the terminal with its control characters, so each field is shown
// with them escaped as escapeControls() does, and so are the bytes code page 1252 leaves
// undefined (they would become C1 controls). The TABs between fields stay TABs.
inline std::string plainIndexLine(std::string_view line) {
    std::string out;
    out.reserve(line.size() + line.size() / 4);
    std::size_t run = 0;  // start of the bytes not written yet
    const auto flush = [&](std::size_t end) {
        out += escapeControls(cp1252ToUtf8(line.substr(run, end - run)));
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto b = static_cast<unsigned char>(line[i]);
        const bool tab = b == '\t';
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        if (!tab && !undefined) continue;
        flush(i);
        out += tab ? std::string("\t") : "\\x" + hexOf(b);
        run = i + 1;
    }
    flush(line.size());
    return out;
}

}  // namespace loom::cli

#pragma once

#include <string>
#include <vector>

namespace loom::kqform {

// One token of a source line: a bare word, or a quoted string already decoded into
// code page 1252 bytes (escapes resolved; it may hold zero bytes, which only `trailer`
// accepts).
struct SourceToken {
    enum class Kind { Word, String };
    Kind kind = Kind::Word;
    std::string text;
};

// Splits one line (without its line break) into tokens; a comment ends it. Throws
// SourceError for an unterminated string, a bad escape or a character that code page 1252
// lacks.
std::vector<SourceToken> tokenizeLine(std::string_view line, int lineNumber);

// The source spelling of a code page 1252 byte string: quoted, with escapes for quotes,
// backslashes, control bytes and bytes that would not show, everything else as UTF-8.
std::string quoteText(std::string_view bytes);

}  // namespace loom::kqform

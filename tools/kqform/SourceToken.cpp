#include "SourceToken.h"

#include <cstdint>

#include "SourceError.h"
#include "common/Cp1252.h"
#include "common/HexDigits.h"

namespace loom::kqform {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Bytes written as escapes: control bytes, DEL, the five bytes code page 1252 leaves
// undefined, and the no-break and soft hyphens, which would not show.
bool needsEscape(std::uint8_t b) {
    return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D ||
           b == 0xA0 || b == 0xAD;
}

}  // namespace

std::vector<SourceToken> tokenizeLine(std::string_view line, int lineNumber) {
    std::vector<SourceToken> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (c == ';') break;
        if (c != '"') {
            std::size_t start = i;
            while (i < line.size() && !isSpace(line[i]) && line[i] != '"' && line[i] != ';')
                ++i;
            tokens.push_back({SourceToken::Kind::Word, std::string(line.substr(start, i - start))});
            continue;
        }
        ++i;
        SourceToken token{SourceToken::Kind::String, {}};
        bool closed = false;
        while (i < line.size()) {
            char d = line[i];
            if (d == '"') {
                ++i;
                closed = true;
                break;
            }
            if (d == '\\') {
                if (i + 1 >= line.size()) break;
                char e = line[i + 1];
                i += 2;
                switch (e) {
                    case 'n':
                        token.text.push_back('\n');
                        break;
                    case 't':
                        token.text.push_back('\t');
                        break;
                    case 'r':
                        token.text.push_back('\r');
                        break;
                    case '"':
                    case '\\':
                        token.text.push_back(e);
                        break;
                    case 'x': {
                        int hi = i < line.size() ? hexDigitValue(line[i]) : -1;
                        int lo = i + 1 < line.size() ? hexDigitValue(line[i + 1]) : -1;
                        if (hi < 0 || lo < 0) {
                            throw SourceError(lineNumber, "\\x needs two hexadecimal digits");
                        }
                        token.text.push_back(static_cast<char>(hi * 16 + lo));
                        i += 2;
                        break;
                    }
                    default:
                        throw SourceError(lineNumber,
                                          std::string("unknown escape \\") + std::string(1, e));
                }
                continue;
            }
            std::size_t start = i;
            while (i < line.size() && line[i] != '"' && line[i] != '\\')
                ++i;
            bool lossy = false;
            token.text += utf8ToCp1252(line.substr(start, i - start), &lossy);
            if (lossy) {
                throw SourceError(lineNumber, "string holds a character that code page 1252 lacks");
            }
        }
        if (!closed) throw SourceError(lineNumber, "string not closed");
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::string quoteText(std::string_view bytes) {
    std::string out = "\"";
    std::size_t runStart = 0;
    auto flush = [&](std::size_t upTo) {
        if (upTo > runStart) out += cp1252ToUtf8(bytes.substr(runStart, upTo - runStart));
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<std::uint8_t>(bytes[i]);
        const char* escape = nullptr;
        if (b == '"') escape = "\\\"";
        if (b == '\\') escape = "\\\\";
        if (b == '\n') escape = "\\n";
        if (b == '\t') escape = "\\t";
        if (b == '\r') escape = "\\r";
        if (!escape && !needsEscape(b)) continue;
        flush(i);
        runStart = i + 1;
        if (escape) {
            out += escape;
        } else {
            out += "\\x";
            out.push_back(hexDigitChar(b >> 4));
            out.push_back(hexDigitChar(b & 15));
        }
    }
    flush(bytes.size());
    out += '"';
    return out;
}

}  // namespace loom::kqform

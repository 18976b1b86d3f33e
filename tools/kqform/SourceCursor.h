#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "SourceCompiler.h"
#include "SourceError.h"
#include "SourceToken.h"

namespace loom::kqform {

// A 32-bit number in decimal or 0x hexadecimal; a negative one as its two's complement.
std::optional<std::uint32_t> parseNumber(std::string_view s);
// A name after its sigil: letters, digits, '_', '-', '.' and bytes from 0x80.
bool validName(std::string_view name);
// `word` in single quotes, for messages.
std::string quoted(std::string_view word);

// The tokens of one source line, taken in order, with the line's number for messages.
class SourceCompiler::Cursor {
  public:
    Cursor(std::vector<SourceToken> tokens, int line) : tokens_(std::move(tokens)), line_(line) {}

    int line() const { return line_; }
    bool atEnd() const { return next_ == tokens_.size(); }
    const SourceToken& peek() const { return tokens_[next_]; }
    bool peekIsString() const { return !atEnd() && peek().kind == SourceToken::Kind::String; }

    [[noreturn]] void fail(const std::string& message) const { throw SourceError(line_, message); }

    std::string_view word(std::string_view what) {
        if (atEnd() || peek().kind != SourceToken::Kind::Word)
            fail(std::string(what) + " expected");
        return tokens_[next_++].text;
    }

    // Any byte string (the trailer).
    const std::string& bytes(std::string_view what) {
        if (atEnd() || peek().kind != SourceToken::Kind::String) {
            fail(std::string(what) + " expected (a quoted string)");
        }
        return tokens_[next_++].text;
    }

    // A text the template can hold.
    const std::string& text(std::string_view what) {
        const std::string& t = bytes(what);
        if (t.find('\0') != std::string::npos) fail(std::string(what) + " holds a zero byte");
        if (t.size() > kMaxTemplateText) {
            fail(std::string(what) + " is " + std::to_string(t.size()) +
                 " characters long; at most 699 are allowed");
        }
        return t;
    }

    std::uint32_t number(std::string_view what) {
        std::string_view w = word(what);
        auto n = parseNumber(w);
        if (!n) fail(std::string(what) + ": " + quoted(w) + " is not a 32-bit number");
        return *n;
    }

    void end() const {
        if (!atEnd()) {
            const SourceToken& t = peek();
            fail("unexpected " +
                 (t.kind == SourceToken::Kind::Word ? quoted(t.text) : std::string("string")));
        }
    }

  private:
    std::vector<SourceToken> tokens_;
    std::size_t next_ = 0;
    int line_;
};

}  // namespace loom::kqform

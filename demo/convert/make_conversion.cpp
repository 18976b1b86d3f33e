// Builds a model conversion file (.cnv) from its readable source, as described in
// docs/conversions.md. Used by the build to lay out the demo home's Convert folder.
//
//   make_conversion SOURCE.txt -o OUTPUT.cnv
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/Cp1252.h"
#include "conversion/ConversionList.h"
#include "conversion/ConversionProgram.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct SourceError {
    std::size_t line;
    std::string message;
};

struct Token {
    std::string text;
    bool quoted = false;
};

// Words and "quoted texts" of one line; a ';' outside quotes starts a comment.
std::vector<Token> tokenize(std::string_view line, std::size_t lineNumber) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ';') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) throw SourceError{lineNumber, "unclosed text"};
            tokens.push_back({std::string(line.substr(i + 1, close - i - 1)), true});
            i = close + 1;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' &&
               line[end] != ';' && line[end] != '"')
            ++end;
        tokens.push_back({std::string(line.substr(i, end - i)), false});
        i = end;
    }
    return tokens;
}

// One instruction as written, or a repeated block of them.
struct Statement {
    std::string word;  // copy, bits, if, set, repeat
    std::vector<std::uint32_t> operands;
    std::vector<Statement> body;  // repeat only
    std::size_t line = 0;
};

class SourceReader {
  public:
    explicit SourceReader(std::string_view text) {
        std::istringstream in{std::string(text)};
        std::string line;
        while (std::getline(in, line))
            lines_.push_back(std::move(line));
    }

    Bytes compile() {
        program_ = block(false);
        if (!source_ || !target_) throw SourceError{lines_.size(), "missing source or target"};
        if (!product_ || !blank_) throw SourceError{lines_.size(), "missing product or blank"};
        Bytes out = {'c', 'n', 'v', 0};
        Bytes area;
        std::uint32_t offsets[4] = {};
        const std::string* texts[] = {&source_->first, &source_->second, &target_->first,
                                      &target_->second};
        for (std::size_t i = 0; i < 4; ++i) {
            offsets[i] = static_cast<std::uint32_t>(area.size());
            area.insert(area.end(), texts[i]->begin(), texts[i]->end());
            area.push_back(0);
        }
        if (area.size() > loom::ConversionList::kMaxTextArea)
            throw SourceError{0, "the four texts take more than 512 bytes"};
        put32(out, static_cast<std::uint32_t>(area.size()));
        put32(out, offsets[0]);
        put32(out, offsets[1]);
        put32(out, numbers_[0]);
        put32(out, numbers_[1]);
        put32(out, offsets[2]);
        put32(out, offsets[3]);
        put32(out, *blank_);
        put32(out, *product_);
        out.insert(out.end(), area.begin(), area.end());
        for (const Statement& s : program_)
            emit(s, 0, 0, out);
        out.push_back(loom::ConversionProgram::End);
        return out;
    }

  private:
    static void put32(Bytes& out, std::uint64_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }

    static std::uint32_t number(const Token& token, std::uint32_t max, std::size_t line) {
        std::string_view text = token.text;
        int base = 10;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            text.remove_prefix(2);
            base = 16;
        }
        std::uint32_t value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
        if (token.quoted || text.empty() || ec != std::errc() || end != text.data() + text.size())
            throw SourceError{line, "not a number: " + token.text};
        if (value > max) throw SourceError{line, token.text + " is above " + std::to_string(max)};
        return value;
    }

    static std::string text(const Token& token, std::size_t line) {
        if (!token.quoted) throw SourceError{line, "expected a quoted text: " + token.text};
        bool lossy = false;
        std::string out = loom::utf8ToCp1252(token.text, &lossy);
        if (lossy) throw SourceError{line, "a character outside code page 1252"};
        return out;
    }

    // Statements up to "end" (inside a repeat) or the end of the source.
    std::vector<Statement> block(bool inRepeat) {
        std::vector<Statement> out;
        bool conditionOpen = false;
        while (next_ < lines_.size()) {
            const std::size_t line = ++next_;
            const std::vector<Token> t = tokenize(lines_[line - 1], line);
            if (t.empty()) continue;
            const std::string& word = t[0].text;
            const auto need = [&](std::size_t n) {
                if (t.size() != n + 1)
                    throw SourceError{line, word + " takes " + std::to_string(n) + " operands"};
            };
            if (conditionOpen && word != "if" && word != "set")
                throw SourceError{line, "conditions must be followed by set"};
            if (word == "end") {
                need(0);
                if (!inRepeat) throw SourceError{line, "end without repeat"};
                return out;
            }
            if (word == "source" || word == "target") {
                if (inRepeat) throw SourceError{line, word + " inside repeat"};
                if (t.size() != 2 && t.size() != 3)
                    throw SourceError{line, word + " takes a model and an optional text"};
                auto& slot = word == "source" ? source_ : target_;
                slot.emplace(text(t[1], line), t.size() == 3 ? text(t[2], line) : "");
                if (slot->first.empty()) throw SourceError{line, "empty model name"};
                continue;
            }
            if (word == "numbers" || word == "product" || word == "blank") {
                if (inRepeat) throw SourceError{line, word + " inside repeat"};
                if (word == "numbers") {
                    need(2);
                    numbers_[0] = number(t[1], UINT32_MAX, line);
                    numbers_[1] = number(t[2], UINT32_MAX, line);
                } else {
                    need(1);
                    (word == "product" ? product_ : blank_) = number(t[1], UINT32_MAX, line);
                }
                continue;
            }
            Statement s{word, {}, {}, line};
            // Limits of each operand: addresses are 32-bit, the rest single bytes.
            std::vector<std::uint32_t> limits;
            if (word == "copy") {
                limits = {UINT32_MAX, UINT32_MAX, 255};
            } else if (word == "bits") {
                limits = {UINT32_MAX, 7, UINT32_MAX, 7, loom::ConversionProgram::kMaxWidth};
            } else if (word == "if" || word == "set") {
                limits = {UINT32_MAX, 255, 255};
                if (word == "set" && !conditionOpen)
                    throw SourceError{line, "set without a condition before it"};
                conditionOpen = word == "if";
            } else if (word == "repeat") {
                limits = {1000, UINT32_MAX, UINT32_MAX};
            } else {
                throw SourceError{line, "unknown statement: " + word};
            }
            need(limits.size());
            for (std::size_t i = 0; i < limits.size(); ++i)
                s.operands.push_back(number(t[i + 1], limits[i], line));
            if (word == "repeat") s.body = block(true);
            out.push_back(std::move(s));
        }
        if (conditionOpen) throw SourceError{next_, "conditions must be followed by set"};
        if (inRepeat) throw SourceError{next_, "repeat without end"};
        return out;
    }

    // `from` and `to` move the source and target addresses of a repeated block.
    void emit(const Statement& s, std::uint64_t from, std::uint64_t to, Bytes& out) const {
        const auto address = [&](std::uint32_t base, std::uint64_t offset) {
            const std::uint64_t a = base + offset;
            if (a > UINT32_MAX) throw SourceError{s.line, "a repeated address passes 32 bits"};
            put32(out, a);
        };
        const auto& o = s.operands;
        if (s.word == "repeat") {
            for (std::uint64_t i = 0; i < o[0]; ++i)
                for (const Statement& inner : s.body)
                    emit(inner, from + i * o[1], to + i * o[2], out);
        } else if (s.word == "copy") {
            out.push_back(loom::ConversionProgram::Copy);
            address(o[0], from);
            address(o[1], to);
            out.push_back(static_cast<std::uint8_t>(o[2]));
        } else if (s.word == "bits") {
            out.push_back(loom::ConversionProgram::CopyBits);
            address(o[0], from);
            out.push_back(static_cast<std::uint8_t>(o[1]));
            address(o[2], to);
            out.push_back(static_cast<std::uint8_t>(o[3]));
            out.push_back(static_cast<std::uint8_t>(o[4]));
        } else {  // if: a condition on the source; set: the conditional form of opcode 2
            const bool condition = s.word == "if";
            out.push_back(condition ? loom::ConversionProgram::Condition
                                    : loom::ConversionProgram::CopyBits);
            address(o[0], condition ? from : to);
            out.push_back(static_cast<std::uint8_t>(o[1]));
            out.push_back(static_cast<std::uint8_t>(o[2]));
        }
    }

    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    std::vector<Statement> program_;
    std::optional<std::pair<std::string, std::string>> source_, target_;
    std::uint32_t numbers_[2] = {0, 0};
    std::optional<std::uint32_t> product_, blank_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::string_view(argv[2]) != "-o") {
        std::cerr << "usage: make_conversion SOURCE.txt -o OUTPUT.cnv\n";
        return 2;
    }
    const std::filesystem::path input = argv[1], output = argv[3];
    std::ifstream in(input, std::ios::binary);
    std::stringstream text;
    if (!in.is_open() || !(text << in.rdbuf())) {
        std::cerr << input.string() << ": cannot read\n";
        return 1;
    }
    Bytes bytes;
    try {
        bytes = SourceReader(text.str()).compile();
    } catch (const SourceError& e) {
        std::cerr << input.string() << ":" << e.line << ": " << e.message << "\n";
        return 1;
    }
    // The program's own reader must take what was made.
    if (!loom::ConversionList::parse(bytes, output)) {
        std::cerr << input.string() << ": the result does not read back\n";
        return 1;
    }
    // Through a temporary file, so a failed build leaves no half-written conversion.
    const std::filesystem::path temporary = output.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::cerr << output.string() << ": cannot write\n";
            return 1;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, output, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        std::cerr << output.string() << ": cannot write\n";
        return 1;
    }
    return 0;
}

#include "eventlog/LogParameter.h"

namespace loom {
namespace {

constexpr std::uint64_t kMax = 0xFFFFFFFFu;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void addDigit(std::uint64_t& value, char c) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kMax) value = kMax;
}

}  // namespace

std::uint32_t ParseSingleNumber(std::string_view text) {
    std::uint64_t value = 0;
    for (char c : text) {
        if (!isDigit(c)) return 0;
        addDigit(value, c);
    }
    return static_cast<std::uint32_t>(value);
}

void LogNumberReader::skipSpace() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
        ++pos_;
    }
}

bool LogNumberReader::next(std::uint32_t& value) {
    skipSpace();
    if (pos_ >= text_.size() || !isDigit(text_[pos_])) return false;
    std::uint64_t v = 0;
    while (pos_ < text_.size() && isDigit(text_[pos_]))
        addDigit(v, text_[pos_++]);
    skipSpace();
    if (pos_ < text_.size() && (text_[pos_] == ':' || text_[pos_] == ',' || text_[pos_] == ';'))
        ++pos_;
    skipSpace();
    value = static_cast<std::uint32_t>(v);
    return true;
}

}  // namespace loom

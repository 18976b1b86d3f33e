#include "SourceCursor.h"

#include <charconv>

namespace loom::kqform {

std::optional<std::uint32_t> parseNumber(std::string_view s) {
    bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        if (negative) return std::nullopt;
        s.remove_prefix(2);
        base = 16;
    }
    if (s.empty()) return std::nullopt;
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    if (negative) {
        if (value > 0x80000000u) return std::nullopt;
        return static_cast<std::uint32_t>(0x100000000u - value);
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool validName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
        if (!ok) return false;
    }
    return true;
}

// Built by appending: GCC 12 at -O3 reports a false -Wrestrict overlap for
// "literal" + std::string temporaries.
std::string quoted(std::string_view word) {
    std::string s;
    s.reserve(word.size() + 2);
    s += '\'';
    s += word;
    s += '\'';
    return s;
}

}  // namespace loom::kqform

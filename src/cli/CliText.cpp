#include "CliText.h"

#include <charconv>
#include <cstdio>

#include "common/Cp1252.h"
#include "common/HexDigits.h"

namespace loom::cli {

bool parseHexBytes(std::string_view text, std::vector<std::uint8_t>& out) {
    out.clear();
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == ',')
            continue;
        const int v = hexDigitValue(c);
        if (v < 0) return false;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    return high < 0;
}

std::string hexOf(std::uint8_t b) {
    return {hexDigitChar(b >> 4u), hexDigitChar(b)};
}

std::string escapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (b < 0x20 || b == 0x7F) {
            out += "\\x";
            out += hexOf(b);
        } else {
            out += c;
        }
    }
    return out;
}

bool parseNumber(std::string_view text, std::uint64_t& value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string fieldAddressText(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(address));
    return text;
}

bool toCp1252(std::string_view utf8, std::string& out) {
    bool lossy = false;
    out = utf8ToCp1252(utf8, &lossy);
    return !lossy;
}

}  // namespace loom::cli

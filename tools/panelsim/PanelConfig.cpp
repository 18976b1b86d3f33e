#include "PanelConfig.h"

#include <charconv>

namespace loom::panelsim {
namespace {

bool parseCount(std::string_view text, unsigned& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool parseFault(std::string_view text, PanelFaults& faults, std::string& error) {
    if (text == "no-identity") {
        faults.noIdentity = true;
        return true;
    }
    if (text == "unasked-identity") {
        faults.unaskedIdentity = true;
        return true;
    }
    const std::size_t eq = text.find('=');
    const std::string_view name = text.substr(0, eq);
    unsigned* counted = nullptr;
    if (name == "nak-every") counted = &faults.nakEvery;
    if (name == "duplicate-every") counted = &faults.duplicateEvery;
    if (name == "corrupt-every") counted = &faults.corruptEvery;
    std::optional<unsigned>* after = nullptr;
    if (name == "drop-after-blocks") after = &faults.dropAfterBlocks;
    if (name == "silent-after-blocks") after = &faults.silentAfterBlocks;
    if (counted == nullptr && after == nullptr) {
        error = "unknown fault: " + std::string(text);
        return false;
    }
    unsigned n = 0;
    if (eq == std::string_view::npos || !parseCount(text.substr(eq + 1), n)) {
        error = "fault " + std::string(name) + " needs =N with a whole number N";
        return false;
    }
    if (counted != nullptr) {
        if (n == 0) {
            error = "fault " + std::string(name) + ": N must be at least 1";
            return false;
        }
        *counted = n;
    } else {
        *after = n;
    }
    return true;
}

Identity PanelSettings::defaultIdentity() {
    // The model fills 13 characters, zero bytes after the name, as a panel keeps it in
    // a C string: compared on 13 characters it equals the template name "GL 200".
    Identity id{};
    const std::string_view model = "GL 200";
    const std::string_view version = "1.0";
    std::copy(model.begin(), model.end(), id.begin());
    std::copy(version.begin(), version.end(), id.begin() + 13);
    return id;
}

bool parseIdentity(std::string_view text, Identity& identity, std::string& error) {
    Identity id{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint8_t byte = static_cast<std::uint8_t>(text[i]);
        if (text[i] == '\\') {
            if (i + 1 < text.size() && text[i + 1] == '\\') {
                ++i;
            } else if (i + 3 < text.size() && text[i + 1] == 'x' && hexValue(text[i + 2]) >= 0 &&
                       hexValue(text[i + 3]) >= 0) {
                byte =
                    static_cast<std::uint8_t>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
                i += 3;
            } else {
                error = "identity: a backslash starts \\xHH or \\\\";
                return false;
            }
        }
        if (n == id.size()) {
            error = "identity: more than 16 bytes";
            return false;
        }
        id[n++] = byte;
    }
    identity = id;
    return true;
}

std::string identityText(const Identity& identity) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : identity) {
        if (b == '\\') {
            text += "\\\\";
        } else if (b >= 0x20 && b < 0x7F) {
            text += static_cast<char>(b);
        } else {
            text += "\\x";
            text += kHex[b >> 4];
            text += kHex[b & 0x0F];
        }
    }
    return text;
}

bool isValidIdCode(std::string_view text) {
    if (text.size() > 6) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace loom::panelsim

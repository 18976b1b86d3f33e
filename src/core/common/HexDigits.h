#pragma once

namespace loom {

// The value of a hexadecimal digit (0-9, A-F, a-f), or -1.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The upper-case digit of the low four bits of v.
constexpr char hexDigitChar(unsigned v) {
    return "0123456789ABCDEF"[v & 15u];
}

}  // namespace loom

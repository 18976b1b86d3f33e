#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

namespace loom::logtext {

// Small pieces of the event log's text, shared by its decoding steps.

inline void put(std::string& out, std::int64_t value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

inline void putTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value / 10 % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

inline void trimTrailingBlanks(std::string& out, std::size_t from) {
    while (out.size() > from && out.back() == ' ')
        out.pop_back();
}

inline void trimLeadingBlanks(std::string& out, std::size_t from) {
    std::size_t end = from;
    while (end < out.size() && out[end] == ' ')
        ++end;
    out.erase(from, end - from);
}

inline bool bitSet(unsigned value, unsigned bit) {
    return ((value >> bit) & 1u) != 0;
}

}  // namespace loom::logtext

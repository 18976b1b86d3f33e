#include "common/SwedishUpperCase.h"

namespace loom {

const std::array<unsigned char, 256>& SwedishUpperCase::table() {
    static const std::array<unsigned char, 256> kTable = [] {
        std::array<unsigned char, 256> t{};
        for (unsigned c = 0; c < t.size(); ++c) {
            const bool lower =
                (c >= 0x61 && c <= 0x7A) || (c >= 0xE0 && c <= 0xF6) || (c >= 0xF8 && c <= 0xFE);
            t[c] = static_cast<unsigned char>(lower ? c - 0x20 : c);
        }
        return t;
    }();
    return kTable;
}

std::string SwedishUpperCase::fold(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = fold(c);
    return out;
}

}  // namespace loom

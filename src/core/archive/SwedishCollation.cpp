#include "archive/SwedishCollation.h"

#include <algorithm>

#include "common/SwedishUpperCase.h"

namespace loom {
namespace {

std::array<std::uint8_t, 256> makeTable() {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint8_t>(SwedishUpperCase::fold(static_cast<char>(i)));
    table['\t'] = table['\n'] = table['\r'] = ' ';
    // Å (197) and å (229) before Ä (196) and ä (228): the code page has them the other way.
    table[197] = table[229] = 196;
    table[196] = table[228] = 197;
    return table;
}

const std::array<std::uint8_t, 256> kTable = makeTable();

std::string_view sortText(std::string_view line) {
    const std::size_t tab = line.find('\t');
    return tab == std::string_view::npos ? line : line.substr(tab + 1);
}

}  // namespace

const std::array<std::uint8_t, 256>& swedishCollationTable() {
    return kTable;
}

int compareSwedish(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int x = kTable[static_cast<unsigned char>(a[i])];
        const int y = kTable[static_cast<unsigned char>(b[i])];
        if (x != y) return x - y;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void sortResultLines(std::vector<std::string>& lines) {
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return compareSwedish(sortText(a), sortText(b)) < 0;
    });
}

}  // namespace loom

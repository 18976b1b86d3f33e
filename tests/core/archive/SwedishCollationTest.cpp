#include "archive/SwedishCollation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/IndexKey.h"
#include "common/Cp1252.h"

namespace loom {
namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

struct OrderCase {
    const char* a;  // UTF-8
    const char* b;
    int expected;  // sign of compare(a, b)
};

TEST(SwedishCollationTest, ComparesThroughTheTable) {
    const OrderCase cases[] = {
        {"Åsa", "Ärna", -1}, {"Ärna", "Östen", -1}, {"Åsa", "Östen", -1},
        {"ab", "AC", -1},    {"AB", "ab", 0},       {"å", "Å", 0},
        {"ä", "Ä", 0},       {"ö", "Ö", 0},         {"Zeta", "Åke", -1},
        {"abc", "ab", 1},    {"", "a", -1},         {"", "", 0},
        {"a\tb", "a b", 0},  {"a\rb", "a\nb", 0},   {"é", "É", 0},
        {"ÿ", "Ÿ", 1},  // ÿ (255) stays; Ÿ is 159
        {"÷", "×", 1},  // 247 is not folded onto 215
    };
    for (const OrderCase& c : cases) {
        EXPECT_EQ(sign(compareSwedish(utf8ToCp1252(c.a), utf8ToCp1252(c.b))), c.expected)
            << c.a << " vs " << c.b;
    }
}

TEST(SwedishCollationTest, TableHasTheFoldedAndExchangedLetters) {
    const auto& t = swedishCollationTable();
    EXPECT_EQ(t['a'], 'A');
    EXPECT_EQ(t['z'], 'Z');
    EXPECT_EQ(t['{'], '{');
    EXPECT_EQ(t[9], 32);
    EXPECT_EQ(t[197], 196);  // Å
    EXPECT_EQ(t[229], 196);  // å
    EXPECT_EQ(t[196], 197);  // Ä
    EXPECT_EQ(t[228], 197);  // ä
    EXPECT_EQ(t[246], 214);  // ö
    EXPECT_EQ(t[247], 247);
    EXPECT_EQ(t[248], 216);
    EXPECT_EQ(t[254], 222);
    EXPECT_EQ(t[255], 255);
}

TEST(SwedishCollationTest, SortsLinesByTheTextAfterTheKey) {
    std::vector<std::string> lines;
    for (const char* l : {"K1\tÖsten", "K2\tÅsa", "K0\tÄrna", "K3\tab", "K4\tAC", "Zz"})
        lines.push_back(utf8ToCp1252(l));
    sortResultLines(lines);
    std::vector<std::string> utf8;
    for (const std::string& l : lines)
        utf8.push_back(cp1252ToUtf8(l));
    // "Zz" has no TAB and sorts by its whole text.
    EXPECT_EQ(utf8, (std::vector<std::string>{"K3\tab", "K4\tAC", "Zz", "K2\tÅsa", "K0\tÄrna",
                                              "K1\tÖsten"}));
}

TEST(IndexKeyTest, OnlyKeysThatStayInTheirFolderAreSafe) {
    const std::pair<const char*, bool> cases[] = {
        {"A1B2C3D0", true}, {"ÅSA", true},   {"a b", true},  {"", false},     {"..", false},
        {"a..b", false},    {"../x", false}, {"a/b", false}, {"a\\b", false}, {"C:x", false},
        {"a\tb", false},    {"a\nb", false}, {".", true},  // joined with ".KQD" it names ".KQD" in
                                                           // the folder itself
    };
    for (const auto& [key, safe] : cases)
        EXPECT_EQ(isSafeIndexKey(utf8ToCp1252(key)), safe) << key;
    EXPECT_FALSE(isSafeIndexKey(std::string("a\0b", 3)));
    EXPECT_FALSE(isSafeIndexKey(std::string(256, 'A')));
    EXPECT_TRUE(isSafeIndexKey(std::string(255, 'A')));
}

}  // namespace
}  // namespace loom

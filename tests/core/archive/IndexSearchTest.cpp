#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "archive/IndexEngine.h"
#include "archive/IndexKey.h"
#include "archive/KeywordParser.h"
#include "archive/SwedishCollation.h"
#include "common/Cp1252.h"
#include "support/RecordingPrompt.h"

// Searching the archive: the keywords typed, the index lines they match, and the order shown.
namespace loom {
namespace {

using Lines = std::vector<std::string>;

struct ParseCase {
    const char* text;
    Lines keywords;
    bool missingQuote;
};

TEST(KeywordParserTest, SplitsAsTheSearchDialogDoes) {
    const ParseCase cases[] = {
        {"abc \"def ghi\"", {"abc", "def ghi"}, false},
        {"\"a\"\"b\"", {"a\"b"}, false},
        {"x \"y", {"x"}, true},
        {"\"\"", {""}, false},
        {"", {}, false},
        {"   ", {}, false},
        {"  one   two ", {"one", "two"}, false},
        {"ab\"cd\"ef", {"ab", "cd", "ef"}, false},
        {"\"\" \"\"", {"", ""}, false},
        {"\"a b\"c", {"a b", "c"}, false},
        {"a\tb", {"a\tb"}, false},  // only the blank separates
        {"\"", {}, true},
        {"\"abc\"\"", {}, true},  // the doubled quote is one quote; the text ends quoted
        {"x \"\"\"\"", {"x", "\""}, false},
    };
    for (const ParseCase& c : cases) {
        const KeywordParser::Result r = KeywordParser::parse(c.text);
        EXPECT_EQ(r.keywords, c.keywords) << c.text;
        EXPECT_EQ(r.missingQuote, c.missingQuote) << c.text;
    }
}

TEST(KeywordParserTest, MissingQuoteListsTheKeywordsFound) {
    test::RecordingPrompt prompt;
    EXPECT_EQ(KeywordParser::parse("x z \"y", prompt), (Lines{"x", "z"}));
    ASSERT_EQ(prompt.texts().size(), 1u);
    EXPECT_EQ(prompt.texts()[0], "Avslutande citattecken saknas.\n\nFunna sökord:\nx\nz\n");
    EXPECT_EQ(KeywordParser::parse("x z", prompt), (Lines{"x", "z"}));
    EXPECT_EQ(prompt.texts().size(), 1u);
}

Lines search(const std::string& utf8Content, const Lines& utf8Keywords) {
    Lines keywords, found, out;
    for (const std::string& k : utf8Keywords)
        keywords.push_back(utf8ToCp1252(k));
    IndexEngine::searchContent(utf8ToCp1252(utf8Content), keywords, found);
    for (const std::string& line : found)
        out.push_back(cp1252ToUtf8(line));
    return out;
}

struct MatchCase {
    const char* name;
    const char* content;
    Lines keywords;
    Lines expected;
};

TEST(IndexSearchTest, MatchesTheValuesNeverTheKey) {
    const MatchCase cases[] = {
        {"empty list", "K1\tA\r\nK2\tB\r\n", {}, {"K1\tA", "K2\tB"}},
        {"empty keyword", "K1\tA\r\nNOTAB\r\n", {""}, {"K1\tA", "NOTAB"}},
        {"empty and other", "K1\tA\r\nNOTAB\r\n", {"", "a"}, {"K1\tA"}},
        {"key only", "ABC123\tvalue\r\n", {"ABC"}, {}},
        {"key and value", "ABC\tx\r\nQQ\tabc\r\n", {"abc"}, {"QQ\tabc"}},
        {"across the tab", "AB\tCD\r\n", {"B\tC"}, {}},
        {"tab inside values", "K\tA\tB\r\n", {"A\tB"}, {"K\tA\tB"}},
        {"hit in key and value", "XYZ\tfooXYZ\r\n", {"xyz"}, {"XYZ\tfooXYZ"}},
        {"all keywords",
         "K1\tStorgatan 1\tMalmö\r\nK2\tStorgatan 2\tLund\r\n",
         {"storgatan", "MALMÖ"},
         {"K1\tStorgatan 1\tMalmö"}},
        {"swedish upper", "K1\tåäö\r\n", {"ÅÄÖ"}, {"K1\tåäö"}},
        {"keyword lower", "K1\tÅÄÖ\r\n", {"åäö"}, {"K1\tÅÄÖ"}},
        {"œ and ÿ", "K1\tœÿ\r\n", {"ŒŸ"}, {"K1\tœÿ"}},
        {"LF only", "K1\tab\nK2\tab\n", {"ab"}, {"K1\tab", "K2\tab"}},
        {"cut-off last line", "K1\tab\r\nK2\tab", {"ab"}, {"K1\tab"}},
        {"not across lines", "K1\tab\r\nK2\tcd\r\n", {"ab\r\nK2"}, {}},
        {"not the line end", "K1\tab\r\n", {"b\r"}, {}},
        {"line without tab", "ABC\r\nK\tABC\r\n", {"abc"}, {"K\tABC"}},
        {"empty lines", "\r\n\r\nK\tx\r\n\r\n", {}, {"K\tx"}},
        {"file order", "B\tx1\r\nA\tx2\r\n", {"x"}, {"B\tx1", "A\tx2"}},
        {"key starts the next line", "K1\tA\r\nZZ\tB\r\n", {"zz"}, {}},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(search(c.content, c.keywords), c.expected) << c.name;
        // The line-by-line check agrees with the whole-content search.
        Lines keywords;
        for (const std::string& k : c.keywords)
            keywords.push_back(utf8ToCp1252(k));
        for (const std::string& line : c.expected)
            EXPECT_TRUE(IndexEngine::lineMatches(utf8ToCp1252(line), keywords)) << c.name;
    }
}

TEST(IndexSearchTest, DamagedContentIsHarmless) {
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary.push_back(static_cast<char>(i));
    const std::string overlong = "K\t" + std::string(1 << 20, 'a') + "needle\r\n";
    Lines found;
    IndexEngine::searchContent(binary + "\r\n" + overlong, {"NEEDLE"}, found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].size(), overlong.size() - 2);
    found.clear();
    IndexEngine::searchContent(std::string("\t\t\0\t\n", 5), {std::string(1, '\0')}, found);
    EXPECT_EQ(found.size(), 1u);
}

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
    const std::pair<int, int> cases[] = {{'a', 'A'}, {'z', 'Z'}, {'{', '{'}, {9, 32},    {197, 196},
                                         {229, 196}, {196, 197}, {228, 197}, {246, 214}, {247, 247},
                                         {248, 216}, {254, 222}, {255, 255}};
    for (const auto& [from, to] : cases)
        EXPECT_EQ(t[static_cast<std::size_t>(from)], to) << from;
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
    // A key is a code page 1252 text; its file has the name the user reads.
    EXPECT_EQ(dataFilePath("/arkiv", utf8ToCp1252("ÅSA")),
              std::filesystem::path(u8"/arkiv/ÅSA.KQD"));
}

}  // namespace
}  // namespace loom

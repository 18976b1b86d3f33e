#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/IndexEngine.h"
#include "common/Cp1252.h"

namespace loom {
namespace {

using Lines = std::vector<std::string>;

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
        {"LF only and no end", "K1\tab\nK2\tab", {"ab"}, {"K1\tab", "K2\tab"}},
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
    IndexEngine::searchContent(std::string("\t\t\0\t", 4), {std::string(1, '\0')}, found);
    EXPECT_EQ(found.size(), 1u);
}

}  // namespace
}  // namespace loom

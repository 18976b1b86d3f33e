// The archive's index files: storing and removing lines, searching them with the keywords
// typed, and the order results are shown in.
#include "archive/IndexEngine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "archive/IndexKey.h"
#include "archive/KeywordParser.h"
#include "support/TestHome.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::Lines;
using test::text;

Lines cp1252(const Lines& utf8Lines) {
    Lines out;
    for (const std::string& l : utf8Lines)
        out.push_back(utf8ToCp1252(l));
    return out;
}

class IndexEngineTest : public ::testing::Test {
  protected:
    std::string content() const { return test::readFile(h.dataIndex()); }
    void setContent(const std::string& bytes) const { test::writeFile(h.dataIndex(), bytes); }
    bool store(const std::string& utf8Line) {
        return engine.StoreIndexLine(kDataIndex, utf8ToCp1252(utf8Line));
    }
    Lines search(const Lines& utf8Keywords) {
        Lines found;
        EXPECT_TRUE(engine.SearchIndex(kDataIndex, cp1252(utf8Keywords), found));
        return test::utf8(found);
    }

    test::TestHome h;
    IndexEngine engine{h.context};
};

TEST_F(IndexEngineTest, StoringAgainReplacesTheLineAndMovesItToTheEnd) {
    fs::remove_all(h.root / "INDEX");
    EXPECT_TRUE(store("A0000010\tKund AB\tStorgatan 1"));  // creates INDEX and the file
    EXPECT_TRUE(store("B0000010\tAnnan"));
    EXPECT_TRUE(store("A0000010\tKund AB\tNygatan 2"));
    EXPECT_EQ(content(), "B0000010\tAnnan\r\nA0000010\tKund AB\tNygatan 2\r\n");
    // The same line again, already last: nothing to write. Not last: it moves.
    const int replaces = h.files.lockedReplaces();
    EXPECT_TRUE(store("A0000010\tKund AB\tNygatan 2"));
    EXPECT_EQ(h.files.lockedReplaces(), replaces);
    EXPECT_TRUE(store("B0000010\tAnnan"));
    EXPECT_EQ(content(), "A0000010\tKund AB\tNygatan 2\r\nB0000010\tAnnan\r\n");
    // Line ends inside a value would split the line: they are dropped.
    EXPECT_TRUE(store("K\tett\r\ntv\xC3\xA5\rtre\n"));
    EXPECT_EQ(content().substr(content().rfind("K\t")), utf8ToCp1252("K\tetttvåtre\r\n"));
    EXPECT_TRUE(h.prompt.entries.empty());
}

// Lines from elsewhere may end in LF alone. A last line without its end is what a write
// cut short by a full disk leaves: no reader takes it, and the next change drops it.
TEST_F(IndexEngineTest, LooseLineEndsAreLinesACutOffLastLineIsNot) {
    const std::pair<const char*, const char*> cases[] = {
        {"D\tfyra", "A\tett\r\nB\ttv\xE5\r\nD\tfyra\r\n"},  // a new key
        {"A\tny", "B\ttv\xE5\r\nA\tny\r\n"},                // a known one
        {"B\ttv\xE5", "A\tett\r\nB\ttv\xE5\r\n"},           // the last line again
    };
    for (const auto& [stored, after] : cases) {
        setContent("A\tett\n\r\nB\ttv\xE5\r\nC0000010\ttr");
        EXPECT_EQ(search({}), (Lines{"A\tett", "B\ttvå"}));
        EXPECT_EQ(search({"tr"}), Lines{});
        EXPECT_TRUE(store(cp1252ToUtf8(stored)));
        EXPECT_EQ(content(), after) << stored;
    }
}

TEST_F(IndexEngineTest, RemovesTheFirstLineWithTheKey) {
    setContent("AB\t1\r\nA\t2\r\nA\t3\r\n");
    EXPECT_FALSE(engine.RemoveIndexLine(kDataIndex, "a"));  // keys are case-sensitive
    EXPECT_TRUE(engine.RemoveIndexLine(kDataIndex, "A"));
    EXPECT_EQ(content(), "AB\t1\r\nA\t3\r\n");
}

TEST_F(IndexEngineTest, SearchOfALargeIndexFindsLinesAcrossTheReadPieces) {
    // Lines of varying length, so that pieces of the file end anywhere in a line, and a
    // cut-off last line that matches every search but is no line.
    std::string bytes;
    Lines all;
    for (int i = 0; i < 6000; ++i) {
        std::string line = "K" + std::to_string(i) + "\tKund " + std::to_string(i % 7) +
                           std::string(static_cast<std::size_t>(i % 23), 'x') + "\tzon " +
                           std::to_string(i % 97);
        bytes += line + "\r\n";
        all.push_back(line);
    }
    bytes += "K6000\tKund 3 xxxxxxxxxxxxxxxxxxxxxx zon 42 zon 96 zon 1";
    ASSERT_GT(bytes.size(), 2u * 64 * 1024);
    setContent(bytes);
    for (const Lines& keywords :
         {Lines{"zon 42"}, Lines{"KUND 3", "ZON 1"}, Lines{"xxxxxxxxxxxxxxxxxxxxxx"}, Lines{}}) {
        Lines expected;
        for (const std::string& line : all)
            if (IndexEngine::lineMatches(line, keywords)) expected.push_back(line);
        EXPECT_EQ(search(keywords), expected) << ::testing::PrintToString(keywords);
    }
}

// An index held by someone else is not waited for; a failed update keeps the index. Each
// says which file and why.
TEST_F(IndexEngineTest, HeldOrUnwritableIndexFailsWithTheReason) {
    ASSERT_TRUE(store("A\t1"));
    std::string error;
    auto held = h.context.files().openLocked(h.dataIndex(), OpenMode::Existing, error);
    ASSERT_TRUE(held) << error;
    Lines found;
    EXPECT_FALSE(engine.StoreIndexLine(kDataIndex, "B\t2"));
    EXPECT_FALSE(engine.SearchIndex(kDataIndex, {}, found));
    held.reset();
    h.files.failAppend();
    h.files.failReplace();
    EXPECT_FALSE(store("B\t2"));
    EXPECT_FALSE(engine.RemoveIndexLine(kDataIndex, "A"));
    const std::string path = pathText(h.dataIndex());
    const std::string isHeld =
        text(MessageId::CannotOpenFile, {path}) + "\n" + text(MessageId::ReasonHeldElsewhere);
    const std::string full =
        text(MessageId::CannotSaveFile, {path}) + "\n" + text(MessageId::ReasonNoSpace);
    EXPECT_EQ(h.prompt.texts(), (Lines{isHeld, isHeld, full, full}));
    EXPECT_EQ(content(), "A\t1\r\n");
}

TEST(KeywordParserTest, SplitsAsTheSearchDialogDoes) {
    const struct {
        const char* typed;
        Lines keywords;
        bool missingQuote;
    } cases[] = {
        {"abc \"def ghi\"", {"abc", "def ghi"}, false},
        {"\"a\"\"b\"", {"a\"b"}, false},
        {"x \"y", {"x"}, true},
        {"\"\"", {""}, false},
        {"ab\"cd\"ef", {"ab", "cd", "ef"}, false},
        {"\"abc\"\"", {}, true},  // the doubled quote is one quote; the text ends quoted
        {"x \"\"\"\"", {"x", "\""}, false},
    };
    for (const auto& c : cases) {
        const KeywordParser::Result r = KeywordParser::parse(c.typed);
        EXPECT_EQ(r.keywords, c.keywords) << c.typed;
        EXPECT_EQ(r.missingQuote, c.missingQuote) << c.typed;
    }
    test::RecordingPrompt prompt;
    EXPECT_EQ(KeywordParser::parse("x z \"y", prompt), (Lines{"x", "z"}));
    EXPECT_EQ(KeywordParser::parse("x z", prompt), (Lines{"x", "z"}));
    EXPECT_EQ(prompt.texts(), (Lines{text(MessageId::MissingClosingQuote, {"x\nz\n"})}));
}

TEST(IndexSearchTest, MatchesEveryKeywordInTheValuesNeverInTheKey) {
    const struct {
        const char* name;
        const char* content;
        Lines keywords;
        Lines expected;
    } cases[] = {
        {"empty list", "K1\tA\r\nK2\tB\r\n", {}, {"K1\tA", "K2\tB"}},
        {"key only", "ABC123\tvalue\r\n", {"ABC"}, {}},
        {"all keywords",
         "K1\tStorgatan 1\tMalmö\r\nK2\tStorgatan 2\tLund\r\n",
         {"storgatan", "MALMÖ"},
         {"K1\tStorgatan 1\tMalmö"}},
        {"any keyword is not enough", "K1\tBerg\r\nK2\tLind\r\n", {"berg", "lind"}, {}},
        {"upper case of 1252 letters", "K1\tåäöœÿ\r\n", {"ÅÄÖŒŸ"}, {"K1\tåäöœÿ"}},
        {"not across lines", "K1\tab\r\nK2\tcd\r\n", {"ab\r\nK2"}, {}},
        {"line without tab", "ABC\r\nK\tABC\r\n", {"abc"}, {"K\tABC"}},
    };
    for (const auto& c : cases) {
        Lines found;
        IndexEngine::searchContent(utf8ToCp1252(c.content), cp1252(c.keywords), found);
        EXPECT_EQ(test::utf8(found), c.expected) << c.name;
        for (const std::string& line : c.expected)  // the line-by-line check agrees
            EXPECT_TRUE(IndexEngine::lineMatches(utf8ToCp1252(line), cp1252(c.keywords))) << c.name;
    }
}

TEST(IndexKeyTest, OnlyKeysThatStayInTheirFolderAreSafe) {
    const std::pair<std::string, bool> cases[] = {
        {"\xC5SA", true},
        {"", false},
        {"..", false},
        {"../x", false},
        {"a\\b", false},
        {"C:x", false},
        {"a\tb", false},
        {std::string(256, 'A'), false},
        {std::string(255, 'A'), true},
    };
    for (const auto& [key, safe] : cases)
        EXPECT_EQ(isSafeIndexKey(key), safe) << key;
    // A key is a code page 1252 text; its file has the name the user reads.
    EXPECT_EQ(dataFilePath("/arkiv", "\xC5SA"), std::filesystem::path(u8"/arkiv/ÅSA.KQD"));
}

}  // namespace
}  // namespace loom

#include "archive/IndexEngine.h"
#include "document/ProgramState.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "support/FailingFileSystem.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class IndexEngineTest : public ::testing::Test {
  protected:
    IndexEngineTest() : home_(temp_.path("home")), context_(prompt_) {
        fs::create_directories(home_);
        context_.setFileSystem(files_);
        context_.setProgramDirectory(ProgramDirectory(home_));
    }

    fs::path indexPath() const { return home_ / "INDEX" / "DATA.KQI"; }
    std::string content() const {
        std::ifstream in(indexPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void setContent(const std::string& text) const {
        fs::create_directories(indexPath().parent_path());
        std::ofstream(indexPath(), std::ios::binary) << text;
    }
    bool store(const std::string& utf8Line) {
        return engine_.StoreIndexLine(kDataIndex, utf8ToCp1252(utf8Line));
    }
    Lines search(const Lines& utf8Keywords) {
        Lines keywords, found;
        for (const std::string& k : utf8Keywords)
            keywords.push_back(utf8ToCp1252(k));
        EXPECT_TRUE(engine_.SearchIndex(kDataIndex, keywords, found));
        for (std::string& line : found)
            line = cp1252ToUtf8(line);
        return found;
    }

    test::TempDir temp_;
    fs::path home_;
    test::RecordingPrompt prompt_;
    test::FailingFileSystem files_;
    ProgramState context_;
    IndexEngine engine_{context_};
};

TEST_F(IndexEngineTest, StoringAgainReplacesTheLineAndMovesItToTheEnd) {
    EXPECT_TRUE(store("A0000010\tKund AB\tStorgatan 1"));  // creates INDEX and the file
    EXPECT_TRUE(store("B0000010\tAnnan"));
    EXPECT_TRUE(store("A0000010\tKund AB\tNygatan 2"));
    EXPECT_EQ(content(), "B0000010\tAnnan\r\nA0000010\tKund AB\tNygatan 2\r\n");
    // The same line again, already last: nothing to write. Not last: it moves.
    const int replaces = files_.lockedReplaces();
    EXPECT_TRUE(store("A0000010\tKund AB\tNygatan 2"));
    EXPECT_EQ(files_.lockedReplaces(), replaces);
    EXPECT_TRUE(store("B0000010\tAnnan"));
    EXPECT_EQ(content(), "A0000010\tKund AB\tNygatan 2\r\nB0000010\tAnnan\r\n");
    EXPECT_TRUE(prompt_.entries.empty());
}

// Line ends inside a value would split the line: both are dropped.
TEST_F(IndexEngineTest, LineEndsInValuesAreRemoved) {
    EXPECT_TRUE(store("K\tett\r\ntv\xC3\xA5\rtre\n"));
    EXPECT_EQ(content(), utf8ToCp1252("K\tetttvåtre\r\n"));
}

// Lines from elsewhere may end in LF alone. A last line without its end is what a write
// cut short by a full disk leaves (its key may be cut too): no reader takes it, and the
// next change drops it instead of appending after it.
TEST_F(IndexEngineTest, LooseLineEndsAreLinesACutOffLastLineIsNot) {
    const struct {
        const char* stored;
        const char* after;
    } cases[] = {
        {"D\tfyra", "A\tett\r\nB\ttv\xE5\r\nD\tfyra\r\n"},  // a new key
        {"A\tny", "B\ttv\xE5\r\nA\tny\r\n"},                // a known one
        {"B\ttv\xE5", "A\tett\r\nB\ttv\xE5\r\n"},           // the last line again
    };
    for (const auto& c : cases) {
        setContent("A\tett\n\r\nB\ttv\xE5\r\nC0000010\ttr");
        EXPECT_EQ(search({}), (Lines{"A\tett", "B\ttvå"}));
        EXPECT_EQ(search({"tr"}), Lines{});
        EXPECT_TRUE(store(cp1252ToUtf8(c.stored)));
        EXPECT_EQ(content(), c.after) << c.stored;
    }
    EXPECT_TRUE(prompt_.entries.empty());
}

// A search changes nothing: without an index there is nothing to find, and nothing is made.
TEST_F(IndexEngineTest, SearchWithoutAnIndexCreatesNothing) {
    EXPECT_EQ(search({}), Lines{});
    EXPECT_FALSE(fs::exists(home_ / "INDEX"));
    fs::create_directories(home_ / "INDEX");
    EXPECT_EQ(search({"x"}), Lines{});
    EXPECT_FALSE(fs::exists(indexPath()));
    EXPECT_TRUE(prompt_.entries.empty());
}

TEST_F(IndexEngineTest, RemovesTheFirstLineWithTheKey) {
    setContent("A\t1\r\nAB\t2\r\nB\t3\r\n");
    EXPECT_TRUE(engine_.RemoveIndexLine(kDataIndex, "AB"));
    EXPECT_EQ(content(), "A\t1\r\nB\t3\r\n");
    EXPECT_FALSE(engine_.RemoveIndexLine(kDataIndex, "a"));  // keys are case-sensitive
    EXPECT_FALSE(engine_.RemoveIndexLine(kDataIndex, ""));
    EXPECT_TRUE(engine_.RemoveIndexLine(kDataIndex, "A"));
    EXPECT_TRUE(engine_.RemoveIndexLine(kDataIndex, "B"));
    EXPECT_EQ(content(), "");
    EXPECT_TRUE(prompt_.entries.empty());
}

TEST_F(IndexEngineTest, SearchMatchesEveryKeywordAfterTheKey) {
    setContent(
        utf8ToCp1252("ÅSA00010\tÅsa Berg\tStorgatan 1\r\n"
                     "ARN00010\tÄrna Lind\tstorgatan 2\r\n"
                     "OST00010\tÖsten\tBackvägen\r\n"
                     "NOTAB\r\n"));
    struct Case {
        Lines keywords;
        Lines keys;
    };
    const Case cases[] = {
        {{}, {"ÅSA00010", "ARN00010", "OST00010", "NOTAB"}},
        {{""}, {"ÅSA00010", "ARN00010", "OST00010", "NOTAB"}},  // matches every line
        {{"STORGATAN"}, {"ÅSA00010", "ARN00010"}},
        {{"storgatan", "2"}, {"ARN00010"}},
        {{"åsa"}, {"ÅSA00010"}},
        {{"äRNA"}, {"ARN00010"}},
        {{"BACKVÄGEN"}, {"OST00010"}},
        {{"00010"}, {}},  // the key is never searched
        {{"NOTAB"}, {}},
        {{"berg", "lind"}, {}},
    };
    for (const Case& c : cases) {
        Lines keys;
        for (const std::string& line : search(c.keywords))
            keys.push_back(line.substr(0, line.find('\t')));
        EXPECT_EQ(keys, c.keys) << ::testing::PrintToString(c.keywords);
    }
}

TEST_F(IndexEngineTest, SearchOfALargeIndexFindsLinesAcrossTheReadPieces) {
    // Lines of varying length, so that pieces of the file end anywhere in a line, and a
    // cut-off last line that matches every search but is no line.
    std::string text;
    Lines all;
    for (int i = 0; i < 6000; ++i) {
        std::string line = "K" + std::to_string(i) + "\tKund " + std::to_string(i % 7) +
                           std::string(static_cast<std::size_t>(i % 23), 'x') + "\tzon " +
                           std::to_string(i % 97);
        text += line + "\r\n";
        all.push_back(line);
    }
    text += "K6000\tKund 3 xxxxxxxxxxxxxxxxxxxxxx zon 42 zon 96 zon 1";
    ASSERT_GT(text.size(), 2u * 64 * 1024);
    setContent(text);
    for (const Lines& keywords : {Lines{"zon 42"}, Lines{"KUND 3", "ZON 1"},
                                  Lines{"xxxxxxxxxxxxxxxxxxxxxx"}, Lines{"zon 96"}, Lines{}}) {
        Lines expected;
        for (const std::string& line : all)
            if (IndexEngine::lineMatches(line, keywords)) expected.push_back(line);
        EXPECT_EQ(search(keywords), expected) << ::testing::PrintToString(keywords);
    }
}

TEST_F(IndexEngineTest, LineMatchingAndKeys) {
    EXPECT_EQ(IndexEngine::keyOf("K1\tA\tB"), "K1");
    EXPECT_EQ(IndexEngine::keyOf("K1"), "K1");
    EXPECT_TRUE(IndexEngine::lineMatches("K\t\xE9t\xE9", {"\xC9T\xC9"}));
    EXPECT_TRUE(IndexEngine::lineMatches("K", {""}));
    EXPECT_FALSE(IndexEngine::lineMatches("K", {"K"}));
    EXPECT_TRUE(IndexEngine::lineMatches("K", {}));
}

// An index held by someone else (another instance of the program) is not waited for.
TEST_F(IndexEngineTest, HeldIndexFailsWithMessage4) {
    ASSERT_TRUE(store("A\t1"));
    std::string error;
    auto held = context_.files().openLocked(indexPath(), OpenMode::Existing, error);
    ASSERT_TRUE(held) << error;
    Lines found;
    EXPECT_FALSE(engine_.StoreIndexLine(kDataIndex, "B\t2"));
    EXPECT_FALSE(engine_.RemoveIndexLine(kDataIndex, "A"));
    EXPECT_FALSE(engine_.SearchIndex(kDataIndex, {}, found));
    EXPECT_TRUE(found.empty());
    const std::string message =
        "Kan inte öppna filen.\nfil: " + cp1252ToUtf8(pathText(indexPath())) +
        "\nFilen används av ett annat program.";
    EXPECT_EQ(prompt_.texts(), (Lines{message, message, message}));
    EXPECT_EQ(prompt_.entries.front().kind, MessageKind::Warning);
    held.reset();
    EXPECT_EQ(content(), "A\t1\r\n");
}

TEST_F(IndexEngineTest, FailedUpdateKeepsTheIndexAndSaysWhy) {
    ASSERT_TRUE(store("A\t1"));
    files_.failAppend();
    files_.failReplace();
    EXPECT_FALSE(store("B\t2"));
    EXPECT_FALSE(store("A\t3"));
    EXPECT_FALSE(engine_.RemoveIndexLine(kDataIndex, "A"));
    const std::string message =
        "Kan inte spara filen.\nfil: " + cp1252ToUtf8(pathText(indexPath())) +
        "\nDet finns inget utrymme kvar på enheten.";
    EXPECT_EQ(prompt_.texts(), (Lines{message, message, message}));
    EXPECT_EQ(content(), "A\t1\r\n");
}

}  // namespace
}  // namespace loom

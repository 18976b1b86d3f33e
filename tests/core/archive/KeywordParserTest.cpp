#include "archive/KeywordParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingPrompt.h"

namespace loom {
namespace {

using Words = std::vector<std::string>;

struct ParseCase {
    const char* text;
    Words keywords;
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
    EXPECT_EQ(KeywordParser::parse("x z \"y", prompt), (Words{"x", "z"}));
    ASSERT_EQ(prompt.texts().size(), 1u);
    EXPECT_EQ(prompt.texts()[0], "Avslutande citattecken saknas.\n\nFunna sökord:\nx\nz\n");
    EXPECT_EQ(KeywordParser::parse("x z", prompt), (Words{"x", "z"}));
    EXPECT_EQ(prompt.texts().size(), 1u);
}

}  // namespace
}  // namespace loom

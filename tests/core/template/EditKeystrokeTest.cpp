#include "template/EditKeystroke.h"

#include <gtest/gtest.h>

namespace loom {
namespace {

struct TypedCase {
    const char* name;
    const char* text;
    int selStart, selEnd;
    bool insertMode;
    const char* expected;
    int caret;
};

class TypedTest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedTest, ResultsBeforeTheFieldChanges) {
    const TypedCase& c = GetParam();
    EXPECT_EQ(EditKeystroke::typed(c.text, c.selStart, c.selEnd, "x", c.insertMode),
              (EditResult{c.expected, c.caret}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypedTest,
    ::testing::Values(TypedCase{"overwritesNextChar", "abc", 1, 1, false, "axc", 2},
                      TypedCase{"appendsAtEnd", "abc", 3, 3, false, "abcx", 4},
                      TypedCase{"insertMode", "abc", 1, 1, true, "axbc", 2},
                      TypedCase{"selectionReplaced", "abcd", 3, 1, false, "axd", 2},
                      TypedCase{"lineBreakKept", "ab\ncd", 2, 2, false, "abx\ncd", 3},
                      TypedCase{"caretBeyondText", "ab", 9, 9, false, "abx", 3},
                      TypedCase{"empty", "", 0, 0, false, "x", 1}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(EditKeystrokeTest, TypedLineBreakIsInsertedEvenInOverwrite) {
    EXPECT_EQ(EditKeystroke::typed("abc", 1, 1, "\n", false), (EditResult{"a\nbc", 2}));
}

TEST(EditKeystrokeTest, CutPasteAndClearReplaceTheSelection) {
    EXPECT_EQ(EditKeystroke::replaced("abcd", 1, 3, ""), (EditResult{"ad", 1}));        // cut
    EXPECT_EQ(EditKeystroke::replaced("abcd", 2, 2, "XY"), (EditResult{"abXYcd", 4}));  // paste
    EXPECT_EQ(EditKeystroke::replaced("abcd", 4, 0, "Z"), (EditResult{"Z", 1}));
}

TEST(EditKeystrokeTest, LineBreaksRoundTrip) {
    EXPECT_EQ(EditKeystroke::shownLines("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(EditKeystroke::storedLines("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(EditKeystroke::storedLines("a\r\nb"), "a\r\nb") << "no doubled CR";
}

}  // namespace
}  // namespace loom

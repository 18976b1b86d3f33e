#include "template/EditKeystroke.h"

#include <gtest/gtest.h>

namespace loom {
namespace {

TEST(EditKeystrokeTest, TypedResultsBeforeTheFieldChanges) {
    struct Case {
        const char* name;
        const char* text;
        int selStart, selEnd;
        bool insertMode;
        const char* typed;
        EditResult expected;
    };
    const Case cases[] = {
        {"overwrites next char", "abc", 1, 1, false, "x", {"axc", 2}},
        {"appends at end", "abc", 3, 3, false, "x", {"abcx", 4}},
        {"insert mode", "abc", 1, 1, true, "x", {"axbc", 2}},
        {"selection replaced", "abcd", 3, 1, false, "x", {"axd", 2}},
        {"line break kept", "ab\ncd", 2, 2, false, "x", {"abx\ncd", 3}},
        {"caret beyond text", "ab", 9, 9, false, "x", {"abx", 3}},
        {"typed line break inserted", "abc", 1, 1, false, "\n", {"a\nbc", 2}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditKeystroke::typed(c.text, c.selStart, c.selEnd, c.typed, c.insertMode),
                  c.expected)
            << c.name;
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

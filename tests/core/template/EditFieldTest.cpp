// What an edit field does with the text: keystrokes, the character filter and its
// correction, and the limits checked while typing and on leaving.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/HandBuiltForm.h"
#include "template/EditKeystroke.h"
#include "template/EditValidator.h"
#include "template/InputFilter.h"

namespace loom::test {
namespace {

// Typing (replace = false) overwrites or inserts at the caret; cut, paste and clear
// (replace = true) put the typed text in place of the selection.
TEST(EditKeystrokeTest, ResultsBeforeTheFieldChanges) {
    const struct {
        const char* name;
        const char* text;
        int selStart, selEnd;
        bool insertMode, replace;
        const char* typed;
        EditResult expected;
    } cases[] = {
        {"overwrites next char", "abc", 1, 1, false, false, "x", {"axc", 2}},
        {"insert mode", "abc", 1, 1, true, false, "x", {"axbc", 2}},
        {"selection replaced", "abcd", 3, 1, false, false, "x", {"axd", 2}},
        {"line break kept", "ab\ncd", 2, 2, false, false, "x", {"abx\ncd", 3}},
        {"caret beyond text", "ab", 9, 9, false, false, "x", {"abx", 3}},
        {"cut", "abcd", 1, 3, false, true, "", {"ad", 1}},
        {"paste", "abcd", 2, 2, false, true, "XY", {"abXYcd", 4}},
    };
    for (const auto& c : cases) {
        const EditResult r =
            c.replace ? EditKeystroke::replaced(c.text, c.selStart, c.selEnd, c.typed)
                      : EditKeystroke::typed(c.text, c.selStart, c.selEnd, c.typed, c.insertMode);
        EXPECT_EQ(r, c.expected) << c.name;
    }
    EXPECT_EQ(EditKeystroke::shownLines("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(EditKeystroke::storedLines("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(EditKeystroke::storedLines("a\r\nb"), "a\r\nb") << "no doubled CR";
}

TEST(InputFilterTest, ChecksEveryCharacter) {
    const struct {
        int filter;
        const char* accepted;
        const char* refused;
    } cases[] = {
        {0, "Hej \xE5\xE4\xF6 !", nullptr},
        {1, "0123456789", "-1"},
        {2, "09afAF", "0x"},
        {3, "0110", "012"},
        {4, "01234Ff", "5"},
        {5, "150000", "1.5"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(InputFilter(c.filter).accepts(c.accepted)) << c.filter;
        EXPECT_FALSE(c.refused && InputFilter(c.filter).accepts(c.refused)) << c.filter;
    }
}

TEST(InputFilterTest, CorrectsOnLeaving) {
    const struct {
        int filter;
        const char* text;
        const char* corrected;
    } cases[] = {
        // The value scale: nearest entry, a tie goes up, above the last entry is the last.
        {5, "16", "15"},
        {5, "23", "30"},
        {5, "60", "70"},
        {5, "97000", "99999"},
        {5, "18446744073709551632", "99999"},  // 2^64 + 16
        {5, "", "0"},
        // Hexadecimal filters write upper case, and touch nothing else.
        {2, "09afAF", "09AFAF"},
        {1, "16", "16"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InputFilter(c.filter).corrected(c.text), c.corrected)
            << c.filter << " " << c.text;
}

TEST(EditValidatorTest, TypingChecksTheFilterMaxCharsAndMaxValueOnly) {
    const struct {
        const char* name;
        int filter;
        EditLimits limits;
        const char* text;
        bool accepted;
    } cases[] = {
        {"max value accepts itself", 1, limits(none, none, 10, none), "0010", true},
        {"min value not while typing", 1, limits(none, none, none, 5), "3", true},
        {"filter refuses", 1, EditLimits{}, "1a", false},
        {"negative max value", 0, limits(none, none, -5, none), "-4", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EditValidator(c.filter, c.limits).acceptsTyping(c.text), c.accepted) << c.name;
}

TEST(EditValidatorTest, FinalCheckReportsTheFirstFailure) {
    constexpr auto kTooMany = MessageId::TooManyChars;
    constexpr auto kTooFew = MessageId::TooFewChars;
    constexpr auto kTooLarge = MessageId::ValueTooLarge;
    constexpr auto kTooSmall = MessageId::ValueTooSmall;
    const struct {
        const char* name;
        EditLimits limits;
        const char* text;
        std::optional<EditCheckFailure> failure;
    } cases[] = {
        {"all met at the limits", limits(2, 2, 10, 5), "10", std::nullopt},
        {"min value itself", limits(none, none, none, 5), "5", std::nullopt},
        {"too many before value", limits(2, none, 10, none), "123", {{kTooMany, 2}}},
        {"too large before too few", limits(none, 3, 10, none), "11", {{kTooLarge, 10}}},
        {"too large wins over too small", limits(none, none, 3, 5), "4", {{kTooLarge, 3}}},
        {"empty is too few", limits(none, 1, 10, 5), "", {{kTooFew, 1}}},
        {"not a number skips values", limits(none, none, 10, 5), "abc", std::nullopt},
        {"negative below min", limits(none, none, none, 0), "-1", {{kTooSmall, 0}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EditValidator(0, c.limits).finalCheck(c.text), c.failure) << c.name;
}

}  // namespace
}  // namespace loom::test

#include "template/EditValidator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "support/HandBuiltForm.h"

namespace loom::test {
namespace {

TEST(EditValidatorTest, TypingChecksTheFilterMaxCharsAndMaxValueOnly) {
    struct Case {
        const char* name;
        int filter;
        EditLimits limits;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {"max value refuses eleven", 1, limits(none, none, 10, none), "11", false},
        {"max value accepts itself", 1, limits(none, none, 10, none), "0010", true},
        {"huge number", 1, limits(none, none, INT32_MAX, none), "99999999999", false},
        {"min value not while typing", 1, limits(none, none, none, 5), "3", true},
        {"max chars refuses", 0, limits(3, none, none, none), "abcd", false},
        {"max chars zero", 0, limits(0, none, none, none), "a", false},
        {"filter refuses", 1, EditLimits{}, "1a", false},
        {"negative max value", 0, limits(none, none, -5, none), "-4", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditValidator(c.filter, c.limits).acceptsTyping(c.text), c.accepted) << c.name;
}

TEST(EditValidatorTest, FinalCheckReportsTheFirstFailure) {
    constexpr auto kTooMany = MessageId::TooManyChars;
    constexpr auto kTooFew = MessageId::TooFewChars;
    constexpr auto kTooLarge = MessageId::ValueTooLarge;
    constexpr auto kTooSmall = MessageId::ValueTooSmall;
    struct Case {
        const char* name;
        EditLimits limits;
        const char* text;
        std::optional<EditCheckFailure> failure;
    };
    const Case cases[] = {
        {"all met at the limits", limits(2, 2, 10, 5), "10", std::nullopt},
        {"min value itself", limits(none, none, none, 5), "5", std::nullopt},
        {"too many before value", limits(2, none, 10, none), "123", {{kTooMany, 2}}},
        {"too large before too few", limits(none, 3, 10, none), "11", {{kTooLarge, 10}}},
        {"too large wins over too small", limits(none, none, 3, 5), "4", {{kTooLarge, 3}}},
        {"empty is too few", limits(none, 1, 10, 5), "", {{kTooFew, 1}}},
        {"not a number skips values", limits(none, none, 10, 5), "abc", std::nullopt},
        {"negative below min", limits(none, none, none, 0), "-1", {{kTooSmall, 0}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditValidator(0, c.limits).finalCheck(c.text), c.failure) << c.name;
}

}  // namespace
}  // namespace loom::test

#include "template/EditValidator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "support/HandBuiltForm.h"

namespace loom::test {
namespace {

struct NumberCase {
    const char* text;
    std::optional<std::int64_t> number;
};

class WholeNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(WholeNumberTest, Reads) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(EditValidator::wholeNumber(c.text), c.number) << "'" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Table, WholeNumberTest,
    ::testing::Values(NumberCase{"0", 0}, NumberCase{"42", 42}, NumberCase{"007", 7},
                      NumberCase{"-5", -5}, NumberCase{"-0", 0},
                      NumberCase{"2147483648", 2147483648LL}, NumberCase{"", std::nullopt},
                      NumberCase{"-", std::nullopt}, NumberCase{"+5", std::nullopt},
                      NumberCase{" 5", std::nullopt}, NumberCase{"5 ", std::nullopt},
                      NumberCase{"1a", std::nullopt}, NumberCase{"--1", std::nullopt},
                      NumberCase{"0x10", std::nullopt}, NumberCase{"1.0", std::nullopt}));

TEST(WholeNumberTest, NumbersBeyondAnyLimitStayBeyondIt) {
    auto big = EditValidator::wholeNumber("99999999999999999999999999");
    ASSERT_TRUE(big.has_value());
    EXPECT_GT(*big, INT32_MAX);
    auto small = EditValidator::wholeNumber("-99999999999999999999999999");
    ASSERT_TRUE(small.has_value());
    EXPECT_LT(*small, INT32_MIN);
}

struct TypingCase {
    const char* name;
    int filter;
    EditLimits limits;
    const char* text;
    bool accepted;
};

class TypingCheckTest : public ::testing::TestWithParam<TypingCase> {};

TEST_P(TypingCheckTest, Checks) {
    const TypingCase& c = GetParam();
    EXPECT_EQ(EditValidator(c.filter, c.limits).acceptsTyping(c.text), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypingCheckTest,
    ::testing::Values(
        TypingCase{"maxValueRefusesEleven", 1, limits(none, none, 10, none), "11", false},
        TypingCase{"maxValueAcceptsNine", 1, limits(none, none, 10, none), "9", true},
        TypingCase{"maxValueAcceptsItself", 1, limits(none, none, 10, none), "10", true},
        TypingCase{"leadingZeros", 1, limits(none, none, 10, none), "0010", true},
        TypingCase{"negativeBelowMax", 0, limits(none, none, 10, none), "-99", true},
        TypingCase{"notANumberIsNotValueChecked", 0, limits(none, none, 10, none), "99x", true},
        TypingCase{"hugeNumber", 1, limits(none, none, INT32_MAX, none), "99999999999", false},
        TypingCase{"minValueNotWhileTyping", 1, limits(none, none, none, 5), "3", true},
        TypingCase{"maxCharsRefuses", 0, limits(3, none, none, none), "abcd", false},
        TypingCase{"maxCharsAccepts", 0, limits(3, none, none, none), "abc", true},
        TypingCase{"maxCharsZero", 0, limits(0, none, none, none), "a", false},
        TypingCase{"minCharsNotWhileTyping", 0, limits(none, 4, none, none), "a", true},
        TypingCase{"filterRefuses", 1, EditLimits{}, "1a", false},
        TypingCase{"emptyPasses", 1, limits(2, 2, 10, 5), "", true},
        TypingCase{"negativeMaxValue", 0, limits(none, none, -5, none), "-4", false}),
    [](const auto& param) { return std::string(param.param.name); });

struct FinalCase {
    const char* name;
    EditLimits limits;
    const char* text;
    std::optional<EditCheckFailure> failure;
};

class FinalCheckTest : public ::testing::TestWithParam<FinalCase> {};

TEST_P(FinalCheckTest, ReportsTheFirstFailure) {
    const FinalCase& c = GetParam();
    EXPECT_EQ(EditValidator(0, c.limits).finalCheck(c.text), c.failure);
}

constexpr auto kTooMany = MessageId::TooManyChars;
constexpr auto kTooFew = MessageId::TooFewChars;
constexpr auto kTooLarge = MessageId::ValueTooLarge;
constexpr auto kTooSmall = MessageId::ValueTooSmall;

INSTANTIATE_TEST_SUITE_P(
    Table, FinalCheckTest,
    ::testing::Values(
        FinalCase{"noLimits", EditLimits{}, "anything", std::nullopt},
        FinalCase{"allMetAtTheLimits", limits(2, 2, 10, 5), "10", std::nullopt},
        FinalCase{"minValueItself", limits(none, none, none, 5), "5", std::nullopt},
        FinalCase{"tooManyBeforeValue", limits(2, none, 10, none), "123", {{kTooMany, 2}}},
        FinalCase{"tooManyBeforeTooFew", limits(2, 3, none, none), "123", {{kTooMany, 2}}},
        FinalCase{"tooLargeBeforeTooFew", limits(none, 3, 10, none), "11", {{kTooLarge, 10}}},
        FinalCase{"tooSmallBeforeTooFew", limits(none, 3, none, 5), "3", {{kTooSmall, 5}}},
        FinalCase{"tooLargeWinsOverTooSmall", limits(none, none, 3, 5), "4", {{kTooLarge, 3}}},
        FinalCase{"tooSmallWhenNotTooLarge", limits(none, none, 3, 5), "2", {{kTooSmall, 5}}},
        FinalCase{"tooFew", limits(none, 3, none, none), "ab", {{kTooFew, 3}}},
        FinalCase{"emptyIsTooFew", limits(none, 1, 10, 5), "", {{kTooFew, 1}}},
        FinalCase{"notANumberSkipsValues", limits(none, none, 10, 5), "abc", std::nullopt},
        FinalCase{"negativeBelowMin", limits(none, none, none, 0), "-1", {{kTooSmall, 0}}},
        FinalCase{"leadingZerosCount", limits(none, 4, 10, none), "007", {{kTooFew, 4}}},
        FinalCase{"negativeLimitShown", limits(none, none, -5, none), "0", {{kTooLarge, -5}}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace loom::test

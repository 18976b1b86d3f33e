#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "eventlog/LogParameter.h"
#include "eventlog/PromText.h"
#include "fields/PromImage.h"

namespace loom {
namespace {

struct PromTextCase {
    std::string bytes;     // panel character set
    const char* expected;  // UTF-8
};

class PromTextDisplay : public ::testing::TestWithParam<PromTextCase> {};

TEST_P(PromTextDisplay, MapsTheSwedishLetters) {
    const std::string& b = GetParam().bytes;
    const std::vector<std::uint8_t> bytes(b.begin(), b.end());
    EXPECT_EQ(cp1252ToUtf8(PromTextToDisplay(bytes)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, PromTextDisplay,
                         ::testing::Values(PromTextCase{"\x84\x86\x8E\x8F\x94\x99", "äåÄÅöÖ"},
                                           PromTextCase{"K\x84llare  \xFF\xFF", "Källare"},
                                           PromTextCase{"A\xFF"
                                                        "B C  ",
                                                        "AB C"},
                                           PromTextCase{std::string(16, ' '), "[ingen text]"},
                                           PromTextCase{std::string(16, '\xFF'), "[ingen text]"},
                                           PromTextCase{"", "[ingen text]"},
                                           PromTextCase{"0123456789ABCDEFGHIJ", "0123456789ABCDEF"},
                                           PromTextCase{std::string("Port\0xyz", 8), "Port"},
                                           PromTextCase{"\xE9t\x81", "ét\xC2\x81"}));

TEST(PromText, ReadsTheImageSafely) {
    PromImage image;
    const std::string text = "Entre 1";
    image.write(0xFFFFFFF8, std::vector<std::uint8_t>(text.begin(), text.end()));
    // The text runs to the end of the PROM space; the bytes beyond read as erased.
    EXPECT_EQ(cp1252ToUtf8(ReadPromText(image, 0xFFFFFFF8)), "Entre 1");
    EXPECT_EQ(ReadPromText(image, 0x100000000ull), "[ingen text]");
    EXPECT_EQ(ReadPromText(image, 0xFFFFFFF8, 4), "Entr");
    EXPECT_EQ(ReadPromText(image, 0xFFFFFFF8, 0), "[ingen text]");
}

TEST(LogParameter, SingleNumberIsDigitsOnly) {
    EXPECT_EQ(ParseSingleNumber("12"), 12u);
    EXPECT_EQ(ParseSingleNumber("007"), 7u);
    EXPECT_EQ(ParseSingleNumber(""), 0u);
    EXPECT_EQ(ParseSingleNumber(" 7"), 0u);
    EXPECT_EQ(ParseSingleNumber("7\n"), 0u);
    EXPECT_EQ(ParseSingleNumber("-1"), 0u);
    EXPECT_EQ(ParseSingleNumber("99999999999999999999"), 0xFFFFFFFFu);
}

TEST(LogParameter, NumberReaderSkipsSeparators) {
    LogNumberReader reader(" 9 ,\t118768;\r\n16 : 4  rest, x");
    std::uint32_t v[4] = {};
    for (auto& x : v)
        ASSERT_TRUE(reader.next(x));
    EXPECT_EQ(v[0], 9u);
    EXPECT_EQ(v[1], 118768u);
    EXPECT_EQ(v[2], 16u);
    EXPECT_EQ(v[3], 4u);
    EXPECT_EQ(reader.rest(), "rest, x");
    std::uint32_t untouched = 5;
    EXPECT_FALSE(reader.next(untouched));
    EXPECT_EQ(untouched, 5u);
    // One separator only: a second one stands where a number should be.
    LogNumberReader doubled("1,,2");
    ASSERT_TRUE(doubled.next(untouched));
    EXPECT_FALSE(doubled.next(untouched));
}

}  // namespace
}  // namespace loom

#include "template/InputFilter.h"

#include <gtest/gtest.h>

#include <string>

namespace loom {
namespace {

struct CheckCase {
    int filter;
    const char* text;
    bool accepted;
};

class InputFilterCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(InputFilterCheckTest, ChecksEveryCharacter) {
    const CheckCase& c = GetParam();
    EXPECT_EQ(InputFilter(c.filter).accepts(c.text), c.accepted)
        << "filter " << c.filter << " text '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(Table, InputFilterCheckTest,
                         ::testing::Values(CheckCase{0, "Hej \xE5\xE4\xF6 !", true},
                                           CheckCase{0, "", true}, CheckCase{1, "0123456789", true},
                                           CheckCase{1, "12a", false}, CheckCase{1, "-1", false},
                                           CheckCase{1, " 1", false}, CheckCase{1, "", true},
                                           CheckCase{2, "09afAF", true}, CheckCase{2, "0g", false},
                                           CheckCase{2, "G", false}, CheckCase{2, "x1", false},
                                           CheckCase{3, "0110", true}, CheckCase{3, "012", false},
                                           CheckCase{4, "01234Ff", true}, CheckCase{4, "5", false},
                                           CheckCase{4, "a", false}, CheckCase{4, "E", false},
                                           CheckCase{5, "150000", true}, CheckCase{5, "1.5", false},
                                           // Unknown numbers are no filter at all.
                                           CheckCase{6, "anything-goes", true},
                                           CheckCase{-1, "\xFF", true}, CheckCase{255, "x", true}));

struct CorrectionCase {
    int filter;
    const char* text;
    const char* corrected;
};

class InputFilterCorrectionTest : public ::testing::TestWithParam<CorrectionCase> {};

TEST_P(InputFilterCorrectionTest, CorrectsOnLeaving) {
    const CorrectionCase& c = GetParam();
    EXPECT_EQ(InputFilter(c.filter).corrected(c.text), c.corrected)
        << "filter " << c.filter << " text '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Table, InputFilterCorrectionTest,
    ::testing::Values(
        // The value scale: nearest entry, a tie goes up, above the last entry is the last.
        CorrectionCase{5, "16", "15"}, CorrectionCase{5, "23", "30"}, CorrectionCase{5, "22", "15"},
        CorrectionCase{5, "60", "70"}, CorrectionCase{5, "7", "0"}, CorrectionCase{5, "8", "15"},
        CorrectionCase{5, "0", "0"}, CorrectionCase{5, "0016", "15"},
        CorrectionCase{5, "92300", "92300"}, CorrectionCase{5, "96000", "92300"},
        CorrectionCase{5, "97000", "99999"}, CorrectionCase{5, "150000", "99999"},
        CorrectionCase{5, "123456789012345678901234567890", "99999"},
        CorrectionCase{5, "18446744073709551632", "99999"},  // 2^64 + 16
        // Not a number.
        CorrectionCase{5, "", "0"}, CorrectionCase{5, "abc", "0"}, CorrectionCase{5, "1 2", "0"},
        CorrectionCase{5, "-15", "0"},
        // Hexadecimal filters write upper case, and touch nothing else.
        CorrectionCase{2, "09afAF", "09AFAF"}, CorrectionCase{2, "abcdef", "ABCDEF"},
        CorrectionCase{2, "xyz", "xyz"}, CorrectionCase{4, "f0f", "F0F"},
        // No correction.
        CorrectionCase{0, "abc", "abc"}, CorrectionCase{1, "16", "16"},
        CorrectionCase{3, "ab", "ab"}, CorrectionCase{7, "ab", "ab"}, CorrectionCase{0, "", ""}));

}  // namespace
}  // namespace loom

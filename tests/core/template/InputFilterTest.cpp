#include "template/InputFilter.h"

#include <gtest/gtest.h>

#include <string>

namespace loom {
namespace {

TEST(InputFilterTest, ChecksEveryCharacter) {
    struct Case {
        int filter;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {0, "Hej \xE5\xE4\xF6 !", true},
        {1, "0123456789", true},
        {1, "-1", false},
        {2, "09afAF", true},
        {3, "0110", true},
        {3, "012", false},
        {4, "01234Ff", true},
        {4, "5", false},
        {5, "150000", true},
        {5, "1.5", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InputFilter(c.filter).accepts(c.text), c.accepted) << c.filter << " " << c.text;
}

TEST(InputFilterTest, CorrectsOnLeaving) {
    struct Case {
        int filter;
        const char* text;
        const char* corrected;
    };
    const Case cases[] = {
        // The value scale: nearest entry, a tie goes up, above the last entry is the last.
        {5, "16", "15"},
        {5, "23", "30"},
        {5, "60", "70"},
        {5, "8", "15"},
        {5, "96000", "92300"},
        {5, "97000", "99999"},
        {5, "18446744073709551632", "99999"},  // 2^64 + 16
        {5, "", "0"},
        {5, "1 2", "0"},
        // Hexadecimal filters write upper case, and touch nothing else.
        {2, "09afAF", "09AFAF"},
        {0, "abc", "abc"},
        {1, "16", "16"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InputFilter(c.filter).corrected(c.text), c.corrected)
            << c.filter << " " << c.text;
}

}  // namespace
}  // namespace loom
